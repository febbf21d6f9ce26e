#!/usr/bin/env bash
# Installs the Debian packages Umbrix needs to build, run, test and package,
# skipping what is already there.  Runs apt-get as root, through sudo when needed.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev
  attr ntfs-3g fuse3 python3-samba dosfstools exfatprogs
  xvfb xauth
  desktop-file-utils appstream librsvg2-bin dpkg-dev file man-db
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
