#!/usr/bin/env bash
# Installs the package on a fresh minimal Debian 12 and reads the simulated monitor there:
# debootstrap makes the system in a folder (build/debian12 unless another is named; kept for
# the next run), apt-get installs build/kvo7730_*.deb (scripts/package.sh) with what it
# depends on, and a user of that system runs kvo7730-sim --com 1 and kvo7730d and asks the
# TCP server for GETALL; then sets up an instance with kvo7730-config alone, runs it on a
# second simulated monitor and asks its own TCP port. Needs root, debootstrap and Debian's
# package mirror.
#   scripts/package_trial.sh [folder]
set -euo pipefail
cd "$(dirname "$0")/.."
deb="$(ls build/kvo7730_*.deb)"
root="$(realpath -m "${1:-build/debian12}")"
[ -x "$root/usr/bin/apt-get" ] || debootstrap --variant=minbase bookworm "$root"
mounted=()
unmount() { for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount "${mounted[i]}"; done; }
trap unmount EXIT
for fs in proc sys dev dev/pts; do
  mount --bind "/$fs" "$root/$fs"
  mounted+=("$root/$fs")
done

cp "$deb" "$root/tmp/"
chroot "$root" sh -c "apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq /tmp/${deb##*/} > /dev/null"
chroot "$root" sh -c 'id kvo > /dev/null 2>&1 || useradd -m kvo'
cat > "$root/tmp/trial.sh" <<'TRIAL'
#!/bin/bash
set -u
# The first line of a GETALL answer on the port, tried for 30 s; empty when none came.
getall() {
  local line=""
  for _ in $(seq 30); do
    sleep 1
    { exec 3<> "/dev/tcp/127.0.0.1/$1"; } 2> /dev/null || continue
    printf 'GETALL\r' >&3
    IFS= read -r -t 3 line <&3
    exec 3>&-
    break
  done
  printf '%s' "$line"
}

mkdir -p ~/.config/DARavev
printf '[startup]\nComPort=1\nZigbeeVersion=8\nStartupComIsOn=True\nStartupRTLisOn=True\nStartupListen=True\n' \
  > ~/.config/DARavev/DARavev.ini
kvo7730-sim --com 1 --volts 230 --watts1 1500 --watts2 350 > /tmp/sim.out 2>&1 &
sim=$!
for _ in $(seq 50); do [ -L ~/.config/DARavev/ports/com1 ] && break; sleep 0.1; done
kvo7730d 2> /tmp/service.log &
service=$!
line="$(getall 1234)"
kill -TERM "$service" "$sim"
wait "$service" "$sim"
cat /tmp/service.log
echo "GETALL: ${line//$'\t'/ | }"
[ "$(cut -f1,2,5 <<< "$line")" = $'1500\t350\t230' ] || exit 1

# An instance set up with kvo7730-config alone, on its own monitor and TCP port.
kvo7730-config --instance trial set com-port 2 connection usb start-open-port yes start-real-time yes \
  start-listen yes tcp-port 1235 dashboard-port 7731 || exit 1
kvo7730-config --instance trial list | head -3
kvo7730-sim --instance trial --com 2 --volts 231 --watts1 800 --watts2 120 > /tmp/sim-trial.out 2>&1 &
sim=$!
for _ in $(seq 50); do [ -L ~/.config/DARavev/instances/trial/ports/com2 ] && break; sleep 0.1; done
kvo7730d --instance trial 2> /tmp/service-trial.log &
service=$!
line="$(getall 1235)"
kvo7730-config instances
kill -TERM "$service" "$sim"
wait "$service" "$sim"
cat /tmp/service-trial.log
echo "GETALL of instance trial: ${line//$'\t'/ | }"
[ "$(cut -f1,2,5 <<< "$line")" = $'800\t120\t231' ]
TRIAL
chmod 755 "$root/tmp/trial.sh"
chroot "$root" su - kvo -c /tmp/trial.sh
