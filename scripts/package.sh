#!/usr/bin/env bash
# Builds the Debian package kvo7730_<version>_<architecture>.deb in the build folder
# (build/ unless another is named) and prints its path.
#   scripts/package.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
[ -f "$build/CPackConfig.cmake" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build "$build" -j"$(nproc)"
cpack --config "$build/CPackConfig.cmake" -B "$build" > "$build/cpack.log" 2>&1 || { cat "$build/cpack.log"; exit 1; }
ls "$build"/kvo7730_*.deb
