#!/usr/bin/env bash
# Takes the README's pictures of the main window, the Options window (General, MQTT,
# Dashboard and InfluxDB tabs), the web-posting window and the Export History window
# into docs/, from the program running on the simulated monitor under a virtual X
# server, as scripts/run.sh starts it, in a scratch configuration folder (build/shots).
# It also prints how long the program took from its start to the first readings over TCP.
#   scripts/screenshots.sh        (after a build; KVO_BUILD_DIR names another build directory)
# Needs xvfb, xauth, x11-apps (xwd), netpbm, xdotool and netcat-openbsd; not part of CI.
# The menus are clicked at their places on the 1280x900 screen with Qt's default fonts.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x900x24" "$PWD/scripts/screenshots.sh" "$@"
fi
build="${KVO_BUILD_DIR:-$PWD/build}"
tcp_port=1234
web_port=18089

scratch="$build/shots"
rm -rf "$scratch"
mkdir -p "$scratch/config/DARavev" "$scratch/data" "$scratch/cache" "$scratch/web"
# Posts every 10 s to a local listener, so the web window has rows within a minute.
cat > "$scratch/config/DARavev/DARavev.ini" <<INI
[startup]
ComPort=9
ZigbeeVersion=8
StartupComIsOn=True
StartupRTLisOn=True
StartupListen=True
TCPport=$tcp_port
VexThresT=10
VexWriteEnable=True
WebHost=127.0.0.1:$web_port
MqttHost=broker.lan
MqttUser=meter
INI
export XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" XDG_CACHE_HOME="$scratch/cache"
# The Export History window proposes a file in the home folder: a neutral one for the picture.
export HOME=/home/user

pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true' EXIT
python3 -m http.server "$web_port" --bind 127.0.0.1 --directory "$scratch/web" >/dev/null 2>&1 &
pids+=($!)
"$build/simulator/kvo7730-sim" --com 9 --volts 230 --watts1 1500 --pf1 0.92 --watts2 350 --pf2 0.8 \
  --step-watts1 2300 --step-after 25 >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do
  [ -L "$scratch/config/DARavev/ports/com9" ] && break
  sleep 0.1
done

start=$(date +%s.%N)
"$build/app/kvo7730" >"$scratch/kvo7730.log" 2>&1 &
pids+=($!)
# GETALL's fifth field is the voltage: 0 until the readings have reached the server.
until [ "$(printf 'GETALL\r' | nc -q1 127.0.0.1 "$tcp_port" 2>/dev/null | cut -f5)" = 230 ]; do
  sleep 0.2
done
echo "First readings over TCP after $(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "%.1f", e - s }') s"

# Without a window manager every window opens at the top left: each one is moved clear of
# the others (place WINDOW X Y) and taken once painted (shot NAME WINDOW).
window_named() { xdotool search --sync --onlyvisible --name "$1" | head -n1; }
place() { xdotool windowmove "$1" "$2" "$3"; }
shot() {
  sleep 3
  xwd -silent -id "$2" | xwdtopnm 2>/dev/null | pnmtopng > "docs/$1.png"
  echo "docs/$1.png"
}
click() { xdotool mousemove "$1" "$2" click 1; sleep 1; }

main=$(xdotool search --sync --onlyvisible --class kvo7730 | head -n1)
sleep 2
shot main_window "$main"

click 276 8 # Options
options=$(window_named '^Options$')
place "$options" 560 0
shot options_general "$options"
click 909 41 # its MQTT tab
shot options_mqtt "$options"
xdotool key --window "$options" ctrl+Tab # the next tab, Dashboard
shot options_dashboard "$options"
xdotool key --window "$options" ctrl+Tab # the next tab, InfluxDB
shot options_influxdb "$options"

sleep 30 # a few posts
click 199 8 # Write To Web
web=$(window_named '^Send Data to Web Server$')
place "$web" 0 260
shot web_posting "$web"

click 23 8  # Files
click 60 30 # Export History...
shot export_history "$(window_named '^Export History$')"
