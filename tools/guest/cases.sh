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
# load MODULE...: the drivers from the kernel's own modules.
load() {
  modprobe -d "$GUEST_KERNEL" -a "$@" 2>>"$out/modules.log"
}
load loop fuse

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

# volume TYPE: a fresh volume of TYPE (or, for cifs-ksmbd and cifs-smbd, a
# share served from an ext4 volume) mounted at /tmp/vol/TYPE.
volume() {
  local type=$1 image=/tmp/vol/$1.img
  mkdir -p "/tmp/vol/$type"
  case $type in
    cifs-*) serve "${type#cifs-}"; return ;;
  esac
  load "$type" nls_ascii nls_utf8 nls_cp437
  truncate -s 64M "$image"
  case $type in
    vfat) mkfs.vfat "$image" ;;
    exfat) mkfs.exfat "$image" ;;
    ntfs3) mkntfs -F -Q "$image" ;;
    ext4) mkfs.ext4 -q "$image" ;;
  esac >/dev/null && mount -o loop -t "$type" "$image" "/tmp/vol/$type"
}

# serve SERVER: the share "share" of /tmp/vol/ext4/SERVER by ksmbd or smbd on
# port 445, as root with password "guest", mounted at /tmp/vol/cifs-SERVER.
serve() {
  local server=$1 dir=/tmp/$1
  load cifs cmac
  [ "$server" = smbd ] || load ksmbd
  [ -d /tmp/vol/ext4/lost+found ] || volume ext4 || return 1
  mkdir -p "$dir" "/tmp/vol/ext4/$server"
  if [ "$server" = ksmbd ]; then
    command -v ksmbd.mountd >/dev/null || { echo "skipped ksmbd-tools could not be fetched"; return 2; }
    # ksmbd opens the share in the kernel, from the guest's first root, where
    # this one lies below /host.
    printf '[global]\n\tserver min protocol = SMB2_10\n[share]\n\tpath = %s\n\tread only = no\n\tstore dos attributes = yes\n' \
      "/host/tmp/vol/ext4/$server" >"$dir/ksmbd.conf"
    ksmbd.adduser -a root -p guest -i "$dir/users.db" -c "$dir/ksmbd.conf" >/dev/null &&
      ksmbd.mountd -c "$dir/ksmbd.conf" -u "$dir/users.db" || return 1
  else
    mkdir -p "$dir"/{lock,state,cache,pid,private,ncalrpc}
    cat >"$dir/smb.conf" <<CONF
[global]
server role = standalone server
interfaces = 127.0.0.1
bind interfaces only = yes
disable netbios = yes
load printers = no
$(for d in lock state cache pid; do echo "$d directory = $dir/$d"; done)
ncalrpc dir = $dir/ncalrpc
private dir = $dir/private
log file = $dir/smbd.log
[share]
path = /tmp/vol/ext4/$server
read only = no
store dos attributes = yes
map archive = no
map hidden = no
map system = no
CONF
    printf 'guest\nguest\n' | smbpasswd -c "$dir/smb.conf" -s -a root >/dev/null &&
      { smbd --foreground -s "$dir/smb.conf" >"$dir/smbd.out" 2>&1 & echo $! >"$dir/smbd.pid"; }
  fi
  for _ in $(seq 10); do
    mount -t cifs //127.0.0.1/share "/tmp/vol/cifs-$server" \
      -o username=root,password=guest,vers=2.1,cache=none,actimeo=0 2>"$dir/mount.log" && return 0
    sleep 0.2
  done
  cat "$dir/mount.log" "$dir"/*.log 2>/dev/null
  return 1
}

# unserve SERVER: the share unmounted and its server stopped.
unserve() {
  umount "/tmp/vol/cifs-$1"
  if [ "$1" = ksmbd ]; then ksmbd.control -s; else kill "$(cat /tmp/smbd/smbd.pid)"; fi
}

for case in "$@"; do
  case $case in
    stores.vfat | stores.exfat | stores.ntfs3)
      load "${case#stores.}" nls_ascii nls_utf8 nls_cp437
      gtest "$case" platform/platform_tests "DriverVolumes/*/${case#stores.}" ;;
    stores.ntfs-3g) gtest "$case" platform/platform_tests "NtfsStore.*" ;;
    volume.*)
      type=${case#volume.} served=
      case $type in cifs-*) served=/tmp/vol/ext4/${type#cifs-} ;; esac
      volume "$type" >"/tmp/$case.log" 2>&1
      status=$?
      if [ $status = 0 ]; then
        UMBRIX_GUEST_VOLUME=/tmp/vol/$type UMBRIX_GUEST_FS=$type UMBRIX_GUEST_SERVED=$served \
          gtest "$case" guest/guest_volume_tests '*'
      elif [ $status = 2 ]; then
        cp "/tmp/$case.log" "$out/$case"
      else
        { echo "failed: the guest could not make the volume"; cat "/tmp/$case.log"; } >"$out/$case"
      fi
      case $type in cifs-*) unserve "${type#cifs-}" ;; esac
      ;;
    *) echo "failed: no such guest case" >"$out/$case" ;;
  esac
done
