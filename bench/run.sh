#!/usr/bin/env bash
# Installs what is missing, builds the benchmark (release) and runs it.
# Arguments go to the program: --sizes N,N,... --runs N --dir FOLDER.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
# The system calls per entry are counted with perf, or strace where perf
# cannot count on this kernel.
for tool in linux-perf strace; do
  if ! dpkg-query -W -f='${Status}' "$tool" 2>/dev/null | grep -q "install ok installed"; then
    as_root=()
    [ "$(id -u)" -eq 0 ] || as_root=(sudo)
    DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y --no-install-recommends "$tool" ||
      echo "Could not install $tool; system calls may go uncounted"
  fi
done
cmake --preset release >/dev/null
cmake --build --preset release --target umbrix_bench
QT_QPA_PLATFORM=offscreen exec build/release/bench/umbrix_bench "$@"
