#!/usr/bin/env bash
# Runs kvo7730d against the simulated monitor streaming RATE packets a second, with a
# client asking GETALL ten times a second, and samples the service's resident memory,
# processor time and open descriptors every 10 s. At the end it holds the packets the
# simulator sent against those the service decoded.
#   scripts/soak.sh [minutes, default 30] [rate, default 40]
# Needs python3 for the client. Writes build/soak/samples.csv and the two programs' logs.
set -euo pipefail
cd "$(dirname "$0")/.."
minutes="${1:-30}"
rate="${2:-40}"
out="$PWD/build/soak"
rm -rf "$out"
mkdir -p "$out/config/DARavev"
port=31777
cat > "$out/config/DARavev/DARavev.ini" <<INI
[startup]
ComPort=44
ZigbeeVersion=8
StartupComIsOn=True
StartupRTLisOn=True
StartupListen=True
TCPport=$port
INI
export XDG_CONFIG_HOME="$out/config"
export XDG_DATA_HOME="$out/data"

./build/simulator/kvo7730-sim --com 44 --rate "$rate" --watts1 1500 --watts2 300 > "$out/sim.out" 2> "$out/sim.log" &
sim=$!
for _ in $(seq 50); do [ -L "$out/config/DARavev/ports/com44" ] && break; sleep 0.1; done
./build/service/kvo7730d 2> "$out/service.log" &
service=$!
trap 'kill "$client" "$service" "$sim" 2>/dev/null || true' EXIT

python3 - "$port" "$((minutes * 60 + 30))" <<'PY' &
import socket, sys, time
port, seconds = int(sys.argv[1]), float(sys.argv[2])
end = time.time() + seconds
while time.time() < end:
    try:
        client = socket.create_connection(("127.0.0.1", port), timeout=2)
        break
    except OSError:
        time.sleep(0.5)
while time.time() < end:
    client.sendall(b"GETALL\r")
    reply = b""
    while not reply.endswith(b"\r\n"):
        reply += client.recv(4096)
    time.sleep(0.1)
PY
client=$!

ticks=$(getconf CLK_TCK)
echo "seconds,rss_kb,cpu_seconds,open_fds" > "$out/samples.csv"
for ((s = 0; s <= minutes * 60; s += 10)); do
  rss=$(awk '/VmRSS/ {print $2}' "/proc/$service/status")
  cpu=$(awk -v t="$ticks" '{print ($14 + $15) / t}' "/proc/$service/stat")
  fds=$(ls "/proc/$service/fd" | wc -l)
  echo "$s,$rss,$cpu,$fds" >> "$out/samples.csv"
  sleep 10
done

kill -TERM "$service"; wait "$service" || true
kill -TERM "$sim"; wait "$sim" || true
kill "$client" 2>/dev/null || true
echo "first and last samples (seconds, RSS kB, CPU s, descriptors):"
sed -n 2p "$out/samples.csv"; tail -1 "$out/samples.csv"
grep -h "packets" "$out/sim.log" "$out/service.log"
echo "status lines other than the usual start and end:"
grep -v -E "started|Monitor on COM|COM Port is|TCP Server|Real-Time|packets decoded|saved; ending" "$out/service.log" || echo "(none)"
