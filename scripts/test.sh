#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh --tests
# Most cases wait on timers, sockets and the simulated monitor rather than the processor:
# two run at a time per core.
ctest --test-dir build --output-on-failure -j"$(( $(nproc) * 2 ))"
