#!/usr/bin/env bash
# Installs what is missing, builds Umbrix and runs every test.
# Usage: tools/test.sh [preset]   (dev by default; asan, release)
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-dev}
bash tools/deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset" -j "$(nproc)"
