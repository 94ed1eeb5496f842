#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer
# on) in build-fuzz/ and runs each for the given number of seconds (default 60).
# Findings are written to build-fuzz/findings/<target>/; the corpus grows in
# build-fuzz/corpus/<target>/.
#   scripts/fuzz.sh [seconds] [target ...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(receiver_fuzzer command_protocol_fuzzer settings_loader_fuzzer web_host_fuzzer api_query_fuzzer)

./scripts/sanitized-build.sh "${targets[@]}"

status=0
for target in "${targets[@]}"; do
  mkdir -p "build-fuzz/corpus/$target" "build-fuzz/findings/$target"
  echo "== $target: ${seconds} s"
  if ! "build-fuzz/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
       -artifact_prefix="build-fuzz/findings/$target/" "build-fuzz/corpus/$target" 2> "build-fuzz/$target.log"; then
    status=1
    tail -40 "build-fuzz/$target.log"
  fi
  grep -E "stat::number_of_executed_units|Done [0-9]+ runs" "build-fuzz/$target.log" | tail -2 || true
done
exit $status
