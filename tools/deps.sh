#!/usr/bin/env bash
# Installs the Debian packages Umbrix needs to build, run, test and package,
# skipping what is already there.  Runs apt-get as root, through sudo when needed.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libicu-dev
  libgtest-dev libgmock-dev
  attr ntfs-3g fuse3 python3-samba dosfstools exfatprogs
  samba smbclient
  clang-14 libclang-rt-14-dev
  liblnk-dev libbfio-dev liblnk-utils
  xvfb xauth
  desktop-file-utils appstream librsvg2-bin dpkg-dev file man-db bash-completion
  qemu-system-x86 busybox-static kmod xz-utils fatattr cifs-utils libnl-genl-3-200
)
# Wine judges the attribute text form where it installs; its tests skip,
# saying why, where it does not.
optional=(wine wine64)

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}
missing=() missing_optional=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
for p in "${optional[@]}"; do installed "$p" || missing_optional+=("$p"); done
[ ${#missing[@]} -eq 0 ] && [ ${#missing_optional[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
install() {
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get -o DPkg::Lock::Timeout=600 install -y \
    --no-install-recommends "$@"
}
"${as_root[@]}" apt-get update
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  install "${missing[@]}"
fi
if [ ${#missing_optional[@]} -gt 0 ]; then
  echo "Installing: ${missing_optional[*]}"
  install "${missing_optional[@]}" || echo "Could not install ${missing_optional[*]}; the Wine tests will skip"
fi
