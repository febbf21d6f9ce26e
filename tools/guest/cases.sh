#!/usr/bin/env bash
# Runs inside the guest, as root in the host's root (read-only; /tmp, /run
# and /root are the guest's memory): loads the drivers from the kernel's own
# modules and runs each case, leaving OUT/<case> as run.sh describes.
# Usage: cases.sh OUT CASE...
set -uo pipefail
out=$1
shift
tests=$GUEST_BUILD/tests
export UMBRIX_TEST_TMP=/tmp/umbrix-tests QT_QPA_PLATFORM=offscreen
mkdir -p "$UMBRIX_TEST_TMP"
for m in loop fuse vfat exfat ntfs3 nls_ascii nls_utf8 nls_cp437 ext4 cifs ksmbd; do
  modprobe -d "$GUEST_KERNEL" "$m" 2>>"$out/modules.log" || echo "no module $m" >>"$out/modules.log"
done

# verdict CASE LOG STATUS: a gtest run whose every test skipped is a skip,
# with the reason gtest gave (named beside a pass where only some did); one
# that ran nothing is a failure.
verdict() {
  local case=$1 log=$2 status=$3 first skipped
  skipped=$(grep -A1 -m1 ': Skipped$' "$log" | tail -1)
  if [ "$status" -ne 0 ]; then
    first=failed
  elif ! grep -q '^\[       OK \]' "$log"; then
    first=${skipped:+skipped $skipped}
    first=${first:-failed: no test ran}
  else
    first="passed${skipped:+ (a test skipped: $skipped)}"
  fi
  { echo "$first"; cat "$log"; } >"$out/$case"
}

# gtest CASE PROGRAM FILTER
gtest() {
  local log=/tmp/$1.log
  (cd /tmp && timeout 600 "$tests/$2" --gtest_filter="$3") >"$log" 2>&1
  verdict "$1" "$log" $?
}

for case in "$@"; do
  case $case in
    stores.vfat | stores.exfat | stores.ntfs3) gtest "$case" platform/platform_tests "DriverVolumes/*/${case#stores.}" ;;
    stores.ntfs-3g) gtest "$case" platform/platform_tests "NtfsStore.*" ;;
    *) echo "failed: no such guest case" >"$out/$case" ;;
  esac
done
