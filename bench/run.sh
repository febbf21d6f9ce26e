#!/usr/bin/env bash
# Installs what is missing, builds the benchmark (release) and runs it.
# Arguments go to the program: --sizes N,N,... --runs N --dir FOLDER.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
# GCC 12 at -O3 reports a -Wrestrict false positive inside std::string
# (GCC bug 105329); it stays a warning here so that it cannot stop a
# measurement.
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DUMBRIX_BUILD_TESTS=OFF \
  -DCMAKE_CXX_FLAGS=-Wno-error=restrict >/dev/null
cmake --build build/bench --target umbrix_bench
QT_QPA_PLATFORM=offscreen exec build/bench/bench/umbrix_bench "$@"
