#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
# One job more than cores: the programs' tests spend most of their time waiting for a
# simulated monitor.
ctest --test-dir build --output-on-failure -j"$(($(nproc) + 1))"
