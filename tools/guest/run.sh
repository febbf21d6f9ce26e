#!/usr/bin/env bash
# Boots a Debian kernel under QEMU with the host's root shared read-only and
# runs cases.sh inside it against the build's own test programs.  Every case
# leaves RESULTS/<case> ("passed", "failed" or "skipped <why>" on its first
# line, its log after); a guest that cannot be had leaves every case of
# CASES skipped with the reason.
# Usage: run.sh SERIES BUILD_DIR RESULTS CASES...
set -uo pipefail
series=$1 build=$(cd "$2" && pwd) results=$3
shift 3
here=$(cd "$(dirname "$0")" && pwd)
source=$(cd "$here/../.." && pwd)

rm -rf "$results"
mkdir -p "$results"
all_skipped() {
  for c in "$@"; do printf 'skipped %s\n' "$why" >"$results/$c"; done
  echo "guest $series: skipped: $why"
  exit 0
}
qemu=$(command -v qemu-system-x86_64) || { why="qemu-system-x86_64 is not installed"; all_skipped "$@"; }
if ! kernel=$(bash "$here/kernel.sh" "$series" "$source/build/guest-kernels" 2>"$results/kernel.log"); then
  why="no $series kernel package: $(tail -1 "$results/kernel.log")"
  all_skipped "$@"
fi

# ksmbd-tools conflicts with samba, which the host's own tests need: the
# guest gets it unpacked beside the kernels instead.
ksmbd=$source/build/guest-kernels/ksmbd-tools
if [ ! -x "$ksmbd/usr/sbin/ksmbd.mountd" ]; then
  rm -rf "$ksmbd" && mkdir -p "$ksmbd" &&
    (cd "$ksmbd" && apt-get download ksmbd-tools && dpkg-deb -x ksmbd-tools_*.deb . && rm ksmbd-tools_*.deb) \
      >>"$results/kernel.log" 2>&1
fi
echo "$kernel" >"$results/kernel"
cat >"$results/plan.sh" <<PLAN
export GUEST_SOURCE='$source' GUEST_BUILD='$build' GUEST_KERNEL='$kernel' GUEST_SERIES='$series'
export PATH="\$PATH:$ksmbd/usr/sbin"
# A tree below /tmp, /run or /root lies under the guest's own memory there:
# it comes in as a share of its own, at the same path.
if [ ! -e '$here/cases.sh' ]; then
  mkdir -p '$source' && mount -t 9p -o ro,trans=virtio,version=9p2000.L,msize=512000 source '$source'
fi
exec bash '$here/cases.sh' /run/guest $*
PLAN
# KVM does not boot on every machine that has /dev/kvm; TCG always does.
accel=tcg
start=$(date +%s)
timeout 900 "$qemu" -accel $accel -cpu max -m 1536 -smp 1 \
  -display none -monitor none -serial "file:$results/console.log" -nic none -no-reboot \
  -kernel "$kernel"/boot/vmlinuz-* -initrd "$kernel/initrd.gz" \
  -append "console=ttyS0 panic=-1 quiet" \
  -virtfs local,path=/,mount_tag=hostroot,security_model=none,readonly=on,multidevs=remap \
  -virtfs "local,path=$source,mount_tag=source,security_model=none,readonly=on,multidevs=remap" \
  -virtfs "local,path=$results,mount_tag=results,security_model=none,multidevs=remap"
echo "guest $series: $(( $(date +%s) - start )) s, kernel $(basename "$kernel")"
