#!/usr/bin/env bash
# Installs what is missing, builds Umbrix (release) and starts its window.
# Arguments are passed to the program, e.g. tools/run.sh /timeout:0.5
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
# Warnings stop a developer's build, not a person who only wants to run it.
cmake --preset release -DUMBRIX_WERROR=OFF >/dev/null
cmake --build --preset release --target umbrix
exec build/release/src/umbrix "$@"
