#!/usr/bin/env bash
# One guest case's result for CTest: its log, then its verdict; exit 0 when
# it passed, 77 (a skip) when it was skipped, 1 otherwise.
# Usage: verdict.sh RESULT_FILE
result=$1
if [ ! -f "$result" ]; then
  echo "the guest left no result for this case (see console.log beside it)"
  exit 1
fi
tail -n +2 "$result"
verdict=$(head -1 "$result")
echo "$verdict"
case $verdict in
  passed*) exit 0 ;;
  skipped*) exit 77 ;;
  *) exit 1 ;;
esac
