#!/usr/bin/env bash
# Installs what is missing, builds the benchmark (release) and runs it.
# Arguments go to the program: --sizes N,N,... --runs N --dir FOLDER.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target umbrix_bench
QT_QPA_PLATFORM=offscreen exec build/release/bench/umbrix_bench "$@"
