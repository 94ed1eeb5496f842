#!/usr/bin/env bash
# Configures build-fuzz/ with clang, AddressSanitizer, UndefinedBehaviorSanitizer and the
# libFuzzer targets, and builds the given targets (all when none is given). Optimised
# lightly, with line tables only, and each library built as one unit: the build stays
# quick and reports still name lines. (The main build compiles file by file, so that a
# missing include is still caught.)
#   scripts/sanitized-build.sh [target ...]
set -euo pipefail
cd "$(dirname "$0")/.."
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" \
  -DCMAKE_UNITY_BUILD=ON -DKVO_BUILD_FUZZERS=ON -DKVO_BUILD_BENCHMARKS=OFF > /dev/null
if [ $# -gt 0 ]; then
  cmake --build build-fuzz -j"$(nproc)" --target "$@"
else
  cmake --build build-fuzz -j"$(nproc)"
fi
