#!/usr/bin/env bash
# Installs what is missing, builds Umbrix (release) and starts its window.
# Arguments are passed to the program, e.g. tools/run.sh /timeout:0.5
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target umbrix
exec build/release/src/umbrix "$@"
