#!/usr/bin/env bash
# The guest stage: builds the dev tree if needed, boots each kernel once and
# reports every guest case through CTest, then one line per case.
set -euo pipefail
cd "$(dirname "$0")/../.."
bash tools/deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev
status=0
ctest --preset guest || status=$?
for result in build/dev/guest/*/*.*; do
  case $result in *.log | */plan.sh) continue ;; esac
  series=${result%/*}
  echo "guest ${series##*/} ${result##*/}: $(head -1 "$result")"
done
exit $status
