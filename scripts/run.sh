#!/usr/bin/env bash
# Sets up, builds and starts the simulated monitor on a pseudo-terminal.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
exec ./build/simulator/kvo7730-sim --realtime-on
