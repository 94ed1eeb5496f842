#!/usr/bin/env bash
# Sets up and builds, then runs the program on the simulated monitor: the simulator
# is linked as COM port 9 in a scratch configuration folder (the user's own settings
# are not touched) whose settings open that port, start real time at start-up and
# let the TCP server listen on port 1234, and show the live readings; the readings
# history stays in the build folder's demo-data from run to run.
#   scripts/run.sh [--no-build]   (--no-build: run what is already built)
# KVO_BUILD_DIR names another build directory than build/.
set -euo pipefail
cd "$(dirname "$0")/.."
[ "${1:-}" = "--no-build" ] || ./scripts/setup.sh
build="${KVO_BUILD_DIR:-$PWD/build}"

scratch="$build/demo-config"
rm -rf "$scratch"
mkdir -p "$scratch/DARavev"
cat > "$scratch/DARavev/DARavev.ini" <<'INI'
[startup]
ComPort=9
ZigbeeVersion=8
StartupComIsOn=True
StartupRTLisOn=True
StartupListen=True
ShowReadingsAtStart=True
INI
export XDG_CONFIG_HOME="$scratch"
export XDG_DATA_HOME="$build/demo-data"

"$build/simulator/kvo7730-sim" --com 9 --volts 230 --watts1 1500 --pf1 0.92 --watts2 350 --pf2 0.8 &
sim=$!
trap 'kill "$sim" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  [ -L "$scratch/DARavev/ports/com9" ] && break
  sleep 0.1
done

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found: running without a visible window (Ctrl+C ends the program)."
  export QT_QPA_PLATFORM=offscreen
fi
# The program runs in the background so that a termination request reaches the script
# at once: it is passed on to the program, and the script waits for both to end.
"$build/app/kvo7730" &
program=$!
stop() {
  kill -TERM "$program" 2>/dev/null || true
  wait "$program" 2>/dev/null || true
  kill "$sim" 2>/dev/null || true
  wait "$sim" 2>/dev/null || true
  trap - EXIT
  exit "$1"
}
trap 'stop 143' TERM
trap 'stop 130' INT
trap 'stop 129' HUP
status=0
wait "$program" || status=$?
exit "$status"
