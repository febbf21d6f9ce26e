#!/usr/bin/env bash
# Fetches the newest Debian 12 kernel of a series (6.1 or 6.12) into the
# cache folder, once, and prints the folder that holds it: boot/vmlinuz-*,
# lib/modules/<release>/ with its modules.dep, and initrd.gz, the guest's
# first stage (busybox and the 9p modules that reach the host's root).
# Usage: kernel.sh SERIES CACHE
set -euo pipefail
series=$1 cache=$2
here=$(cd "$(dirname "$0")" && pwd)
case $series in
  6.1) pattern='^linux-image-6\.1\.0-[0-9]+-amd64$' ;;
  6.12) pattern='^linux-image-6\.12\.[0-9]+\+deb12-amd64$' ;;
  *) echo "unknown kernel series $series" >&2; exit 2 ;;
esac
newest() { apt-cache search --names-only "$pattern" | awk '{print $1}' | sort -V | tail -1; }
package=$(newest)
if [ -z "$package" ]; then
  # A fresh machine may not have read the package lists yet.
  apt-get update >/dev/null 2>&1 || true
  package=$(newest)
fi
[ -n "$package" ] || { echo "no $series kernel package in the package lists" >&2; exit 1; }
dir=$cache/$package
if [ ! -f "$dir/initrd.gz" ]; then
  rm -rf "$dir" "$dir.part"
  mkdir -p "$dir.part"
  (cd "$dir.part" && apt-get download "$package" >/dev/null 2>&1) ||
    { echo "cannot download $package" >&2; exit 1; }
  dpkg-deb -x "$dir.part"/*.deb "$dir.part"
  rm "$dir.part"/*.deb
  release=$(ls "$dir.part/lib/modules")
  # The guest unpacks xz slowly without KVM: the drivers it loads are kept
  # unpacked.
  find "$dir.part/lib/modules/$release/kernel/"{fs,net,lib,crypto,drivers/block} \
    -name '*.ko.xz' -exec xz -d {} +
  depmod -b "$dir.part" "$release"
  # busybox's insmod takes no xz: the first stage gets its modules unpacked
  # (6.12 packs them, 6.1 does not; 6.1 builds virtio as modules).
  root=$dir.part/initrd
  mkdir -p "$root/bin" "$root/lib"
  cp /bin/busybox "$root/bin/busybox"
  cp "$here/init" "$root/init"
  modprobe -d "$dir.part" -S "$release" --show-depends -a virtio_pci 9pnet_virtio 9p | awk '$1 == "insmod" {print $2}' |
    while read -r module; do
      name=${module##*/}
      [ -e "$root/lib/${name%.xz}" ] && continue
      case $name in *.xz) xz -dc "$module" ;; *) cat "$module" ;; esac >"$root/lib/${name%.xz}"
      echo "${name%.xz}" >>"$root/lib/order"
    done
  (cd "$root" && find . | busybox cpio -o -H newc 2>/dev/null | gzip -1) >"$dir.part/initrd.gz"
  rm -rf "$root"
  mv "$dir.part" "$dir"
fi
echo "$dir"
