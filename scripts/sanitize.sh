#!/usr/bin/env bash
# Builds everything with clang under AddressSanitizer and UndefinedBehaviorSanitizer in
# build-fuzz/ (the libFuzzer targets included), runs the test suite there, then runs each
# fuzzer for a few seconds as a smoke test.
#   scripts/sanitize.sh [fuzz seconds, default 5]
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh --packages-only
./scripts/sanitized-build.sh
# Qt keeps some allocations until the process ends; only use-after-free, overflows and
# undefined behaviour fail the run here.
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-fuzz --output-on-failure -j"$(( $(nproc) * 2 ))" -LE 'package|browser|prometheus|influxdb'
./scripts/fuzz.sh "${1:-5}"
