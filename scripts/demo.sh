#!/usr/bin/env bash
# Sets up the machine, builds the programs and runs the demo.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"
echo "The demo is not ready yet: the programs are still being built."
echo "Run scripts/test.sh to see what works so far."
