#!/usr/bin/env bash
# scripts/run.sh stopped by SIGTERM passes the signal on and waits: neither the
# program nor the simulator may outlive it.
#   run_script_signal_test.sh <build dir>
set -uo pipefail
cd "$(dirname "$0")/../.."
export KVO_BUILD_DIR="$1" QT_QPA_PLATFORM=offscreen

# The script is the leader of its own group, so nothing else here is signalled.
setsid ./scripts/run.sh --no-build > "$KVO_BUILD_DIR/run-script-test.log" 2>&1 &
script=$!
program="" sim=""
for _ in $(seq 100); do
  program=$(pgrep -P "$script" -x kvo7730) sim=$(pgrep -P "$script" -x kvo7730-sim)
  [ -n "$program" ] && [ -n "$sim" ] && break
  sleep 0.1
done
if [ -z "$program" ] || [ -z "$sim" ]; then
  echo "run.sh never started both programs"
  kill -KILL -- -"$script"
  exit 1
fi
sleep 1

kill -TERM "$script"
for _ in $(seq 100); do
  kill -0 "$script" 2>/dev/null || break
  sleep 0.1
done
status=0
if kill -0 "$script" 2>/dev/null; then
  echo "run.sh still runs 10 s after SIGTERM"
  status=1
fi
for child in $program $sim; do
  if kill -0 "$child" 2>/dev/null; then
    echo "left running: $(ps -o pid=,comm= -p "$child")"
    status=1
  fi
done
kill -KILL -- -"$script" 2>/dev/null
exit $status
