#!/usr/bin/env bash
# Installs what is missing, builds Umbrix (release) and starts its window on
# the folder it was started from, or on the folder given.
# Arguments are passed to the program, e.g. tools/run.sh /timeout:0.5 ~/usb
set -euo pipefail
caller=$PWD
cd "$(dirname "$0")/.."
bash tools/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target umbrix

# A folder among the arguments is the program's; without one it opens where
# the person was.
has_folder=no
for argument in "$@"; do
  case "$argument" in
    /timeout:*|-*) ;;
    *) has_folder=yes ;;
  esac
done
[ "$has_folder" = yes ] || set -- "$@" "$caller"
exec build/release/src/umbrix "$@"
