#!/usr/bin/env bash
# Runs inside the guest, as root in the host's root (read-only; /tmp, /run
# and /root are the guest's memory): loads the drivers from the kernel's own
# modules and runs each case, leaving OUT/<case> as run.sh describes.
# Usage: cases.sh OUT CASE...
set -uo pipefail
out=$1
shift
tests=$GUEST_BUILD/tests
export UMBRIX_TEST_TMP=/tmp/umbrix-tests QT_QPA_PLATFORM=offscreen HOME=/root
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

# gtest CASE PROGRAM FILTER [JUDGE...]: the program's run (as $RUNAS when
# set), then JUDGE, whose output joins the log and whose failure fails the
# case.
gtest() {
  local case=$1 log=/tmp/$1.log status
  (cd /tmp && timeout 600 ${RUNAS:-} "$tests/$2" --gtest_filter="$3") >"$log" 2>&1
  status=$?
  shift 3
  if [ $# -gt 0 ]; then
    echo "--- $*" >>"$log"
    "$@" >>"$log" 2>&1 || status=${status/#0/1}
  fi
  verdict "$case" "$log" "$status"
}

# volume TYPE [OPTIONS]: a fresh volume of TYPE (or, for cifs-ksmbd and
# cifs-smbd, a share served from an ext4 volume) mounted at /tmp/vol/TYPE
# with the mount options OPTIONS.
volume() {
  local type=$1 image=/tmp/vol/$1.img
  mkdir -p "/tmp/vol/$type"
  case $type in
    cifs-*) serve "${type#cifs-}"; return ;;
  esac
  load "$type" nls_ascii nls_utf8 nls_cp437
  rm -f "$image" && truncate -s 64M "$image"
  case $type in
    vfat) mkfs.vfat -F 32 "$image" ;;
    exfat) mkfs.exfat "$image" ;;
    ntfs3) mkntfs -F -Q "$image" ;;
    ext4) mkfs.ext4 -q "$image" ;;
  esac >/dev/null && mount -o "loop${2:+,$2}" -t "$type" "$image" "/tmp/vol/$type"
}

# fsck_ro TYPE IMAGE: the file-system checker's read-only pass.
fsck_ro() {
  case $1 in
    vfat) fsck.vfat -n "$2" ;;
    exfat) fsck.exfat -n "$2" ;;
    ntfs3) ntfsfix -n "$2" ;;
    ext4) fsck.ext4 -n "$2" ;;
  esac
}

# remount TYPE [OPTIONS] FOLDER...: both volumes, TYPE's and the ext4 one,
# unmounted, found clean by fsck and mounted again; what umbrix-attrib lists
# in each FOLDER, and fatattr on FAT, must be as before.
remount() {
  local type=$1 options=$2 before after t
  shift 2
  before=$(second_readers "$@")
  for t in "$type" ext4; do
    umount "/tmp/vol/$t" && fsck_ro "$t" "/tmp/vol/$t.img" || return 1
    mount -o "loop${options:+,$options}" -t "$t" "/tmp/vol/$t.img" "/tmp/vol/$t" || return 1
    options=
  done
  after=$(second_readers "$@")
  echo "$after"
  [ -n "$before" ] && [ "$before" = "$after" ] ||
    { echo "not what the volumes held before the remount:"; diff <(echo "$before") <(echo "$after"); return 1; }
  echo "kept over a remount: $(echo "$before" | wc -l) lines"
}
second_readers() {
  local folder
  for folder in "$@"; do
    "$GUEST_BUILD/src/cli/umbrix-attrib" /S /D "$folder/*"
    case $folder in /tmp/vol/vfat*) find "$folder" -mindepth 1 -exec fatattr {} + ;; esac
  done
}

# shortname: an entry stored under its 8.3 name alone (an upper-case name
# that fits gets no long-name entry) takes attributes and keeps them.
shortname() {
  echo x >/tmp/vol/vfat/SHORT.TXT &&
    "$GUEST_BUILD/src/cli/umbrix-attrib" +H +S /tmp/vol/vfat/SHORT.TXT || return 1
  sync
  grep -qa 'SHORT   TXT' /tmp/vol/vfat.img && ! grep -qaP 'S\x00H\x00O\x00R\x00T\x00' /tmp/vol/vfat.img ||
    { echo "SHORT.TXT is not stored under its 8.3 name alone"; return 1; }
}

# judge_volume TYPE: what the cases left, after a remount; on FAT a name
# stored as 8.3 alone too.
judge_volume() {
  if [ "$1" = vfat ]; then shortname || return 1; fi
  remount "$1" "" "/tmp/vol/$1" /tmp/vol/ext4/copies
}

# The stick as a shortcut virus leaves it, laid out by fatattr: the user's
# folders hidden and system, with a shortcut beside each, their files
# hidden, autorun.inf system and hidden, everything else moved into a
# hidden system folder named by a non-breaking space.
stick() {
  local s=$1 nbsp=$'\xc2\xa0'
  mkdir -p "$s/Photos" "$s/Work" "$s/$nbsp" &&
    for f in Photos/beach.jpg Work/report.doc "$nbsp/Thesis.docx" autorun.inf Photos.lnk Work.lnk \
      "$nbsp.lnk" readme.txt; do echo x >"$s/$f" || return 1; done &&
    fatattr +h +s "$s/Photos" "$s/Work" "$s/$nbsp" "$s/autorun.inf" &&
    fatattr +h "$s/Photos/beach.jpg" "$s/Work/report.doc" "$s/$nbsp/Thesis.docx"
}
# judge_stick: after a remount nothing on the stick is hidden, system or
# read-only any more, as fatattr reads it.
judge_stick() {
  remount vfat iocharset=utf8 /tmp/vol/vfat || return 1
  if find /tmp/vol/vfat -mindepth 1 -exec fatattr {} + | awk 'substr($0, 1, 6) ~ /[rhs]/' | grep .; then
    echo "still hidden, system or read-only after the remount"; return 1
  fi
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
    # Seen with its debug log on: the client is authenticated, then every
    # tree connect (IPC$ and the share alike) is refused without a reason.
    if [ "$GUEST_SERIES" = 6.1 ]; then
      echo "skipped 6.1's ksmbd refuses every tree connect from Debian 12's ksmbd-tools 3.4.7" \
        "(the only version Debian 12 has); 6.12's ksmbd accepts them"
      return 2
    fi
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
    volume.* | user.* | stick.vfat)
      # user.TYPE[-OPTION]: mounted as a desktop mounts a stick for the user
      # who plugged it in, and worked on as that user.
      kind=${case#*.} type=${kind%%-*} served= options= judge= stick= runas= refused=
      filter='GuestVolume.*:-*User*'
      case $case in
        volume.cifs-*) type=$kind served=/tmp/vol/ext4/${type#cifs-} ;;
        volume.*) judge="judge_volume $type" ;;
        user.*)
          options=uid=1000,gid=1000,fmask=0022,dmask=0022
          [ "$type" = exfat ] || options+=,flush # exFAT knows no "flush"
          [ "$kind" = "$type" ] || options+=,${kind#*-}
          # Both keep the system bit to root (CAP_LINUX_IMMUTABLE).
          case $kind in exfat | *sys_immutable) refused=S ;; esac
          chmod 1777 "$UMBRIX_TEST_TMP"
          runas="setpriv --reuid=1000 --regid=1000 --clear-groups" filter='*User*' ;;
        stick.*) options=iocharset=utf8 filter='GuestStick.*' judge=judge_stick stick=/tmp/vol/vfat ;;
      esac
      [ -d /tmp/vol/ext4/lost+found ] || volume ext4 >>"/tmp/$case.log" 2>&1
      mkdir -p /tmp/vol/ext4/copies
      volume "$type" "$options" >"/tmp/$case.log" 2>&1
      status=$?
      if [ "$case" = stick.vfat ] && [ $status = 0 ]; then stick /tmp/vol/vfat; status=$?; fi
      if [ $status = 0 ]; then
        UMBRIX_GUEST_VOLUME=/tmp/vol/$type UMBRIX_GUEST_FS=$type UMBRIX_GUEST_SERVED=$served \
          UMBRIX_GUEST_EXT4=/tmp/vol/ext4/copies UMBRIX_GUEST_REFUSED=$refused RUNAS=$runas \
          UMBRIX_GUEST_STICK=$stick gtest "$case" guest/guest_volume_tests "$filter" $judge
      elif [ $status = 2 ]; then
        cp "/tmp/$case.log" "$out/$case"
      else
        { echo "failed: the guest could not make the volume"; cat "/tmp/$case.log"; } >"$out/$case"
      fi
      case $type in
        cifs-*) unserve "${type#cifs-}" ;;
        *) umount "/tmp/vol/$type" ;;
      esac
      ;;
    *) echo "failed: no such guest case" >"$out/$case" ;;
  esac
done
