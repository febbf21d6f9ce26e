#!/usr/bin/env bash
# Builds the Debian package (release preset), checks what it installs as a
# user's machine would get it, starts the installed program and removes the
# package again.  Needs root (or sudo) for apt-get.  Exits non-zero on any
# failure; the package is removed on the way out in every case.
set -euo pipefail
cd "$(dirname "$0")/.."

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
app_id=io.github.umbrix.Umbrix

bash tools/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j2

out=build/release/package
rm -rf "$out"
(cd build/release && cpack -G DEB -B "$PWD/package")
debs=("$out"/umbrix_*.deb)
[ -f "${debs[0]}" ] || { echo "package.sh: cpack made no umbrix_*.deb" >&2; exit 1; }
deb=${debs[0]}
echo "== $deb"
dpkg-deb --info "$deb"
contents=$(dpkg-deb --contents "$deb")
echo "$contents"

# dpkg-shlibdeps must have found the Qt libraries the program links.
depends=$(dpkg-deb --field "$deb" Depends)
for lib in libqt6widgets6 libqt6gui6 libqt6core6 libc6; do
  grep -q "$lib" <<<"$depends" || { echo "package.sh: Depends lacks $lib: $depends" >&2; exit 1; }
done
# Documentation is checked in the package: some machines (container images)
# tell dpkg not to unpack /usr/share/man and /usr/share/doc.
for f in ./usr/share/man/man1/umbrix.1.gz ./usr/share/man/man1/umbrix-attrib.1.gz \
         ./usr/share/doc/umbrix/copyright ./usr/share/bash-completion/completions/umbrix-attrib; do
  grep -q " $f\$" <<<"$contents" || { echo "package.sh: $f is not in the package" >&2; exit 1; }
done
# man reports roff mistakes on stderr with --warnings; any of them fails.
for page in umbrix umbrix-attrib; do
  man_warnings=$(MANWIDTH=80 man --warnings -l build/release/packaging/$page.1.gz 2>&1 >/dev/null)
  [ -z "$man_warnings" ] || { echo "package.sh: man page $page.1: $man_warnings" >&2; exit 1; }
done
# Nothing from the build tree or the tests in it.
if grep -E 'test|bench|window_shots|\.a$' <<<"$contents"; then
  echo "package.sh: the package holds test or build files" >&2
  exit 1
fi

work=$(mktemp -d)
pid=
installed=0
# Root's start records its check of the file-system object machine-wide; a
# flag this run made is taken away again.
flag=/etc/xdg/Umbrix/Umbrix.ini
flag_was_there=0
[ ! -e "$flag" ] || flag_was_there=1
cleanup() {
  status=$?
  if [ "$flag_was_there" -eq 0 ] && [ -e "$flag" ]; then
    "${as_root[@]}" rm -f "$flag"
    "${as_root[@]}" rmdir "$(dirname "$flag")" 2>/dev/null || true
  fi
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  if [ "$installed" -eq 1 ]; then
    echo "== removing the package"
    "${as_root[@]}" apt-get remove -y umbrix || status=1
  fi
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT

if dpkg-query -W -f='${Status}' umbrix 2>/dev/null | grep -q "install ok installed"; then
  echo "== umbrix is installed already; removing it first so this build's package is the one tested"
  "${as_root[@]}" apt-get remove -y umbrix
fi
echo "== installing"
cp "$deb" "$work/"
installed=1
(cd "$work" && DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y ./umbrix_*.deb)

echo "== validating the installed desktop entry and metainfo"
desktop-file-validate "/usr/share/applications/$app_id.desktop"
appstreamcli validate --no-net "/usr/share/metainfo/$app_id.metainfo.xml"
for f in /usr/bin/umbrix /usr/bin/umbrix-attrib /usr/share/icons/hicolor/scalable/apps/$app_id.svg \
         /usr/share/icons/hicolor/48x48/apps/$app_id.png \
         /usr/share/icons/hicolor/256x256/apps/$app_id.png; do
  [ -f "$f" ] || { echo "package.sh: $f is not installed" >&2; exit 1; }
done
file /usr/share/icons/hicolor/48x48/apps/$app_id.png | grep -q '48 x 48' ||
  { echo "package.sh: the 48 px icon is not 48 x 48" >&2; exit 1; }
file /usr/share/icons/hicolor/256x256/apps/$app_id.png | grep -q '256 x 256' ||
  { echo "package.sh: the 256 px icon is not 256 x 256" >&2; exit 1; }

# The program's own files go to a folder of this run, never the caller's.
mkdir -p "$work/home" "$work/config" "$work/data" "$work/cache" "$work/runtime"
chmod 700 "$work/runtime"
sandbox=(env -u DISPLAY -u WAYLAND_DISPLAY HOME="$work/home" XDG_CONFIG_HOME="$work/config"
         XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/runtime")

echo "== umbrix --help and --version without a display"
"${sandbox[@]}" /usr/bin/umbrix --help >"$work/help.txt"
grep -q '^Usage: umbrix \[/timeout:SECONDS\] \[FOLDER\]' "$work/help.txt" ||
  { echo "package.sh: unexpected --help output:" >&2; cat "$work/help.txt" >&2; exit 1; }
cat "$work/help.txt"
version=$("${sandbox[@]}" /usr/bin/umbrix --version)
echo "$version"
project_version=$(sed -n 's/^project(Umbrix VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ "$version" = "umbrix $project_version" ] ||
  { echo "package.sh: --version printed '$version', expected 'umbrix $project_version'" >&2; exit 1; }
attrib_version=$("${sandbox[@]}" /usr/bin/umbrix-attrib --version)
[ "$attrib_version" = "umbrix-attrib $project_version" ] ||
  { echo "package.sh: umbrix-attrib --version printed '$attrib_version'" >&2; exit 1; }
"${sandbox[@]}" /usr/bin/umbrix-attrib /D "$work" >/dev/null ||
  { echo "package.sh: the installed umbrix-attrib cannot list a folder" >&2; exit 1; }
completion=/usr/share/bash-completion/completions/umbrix-attrib
words=$(bash -c 'source /usr/share/bash-completion/bash_completion; source "$1"
  COMP_WORDS=(umbrix-attrib +); COMP_CWORD=1; COMP_LINE="umbrix-attrib +"; COMP_POINT=15
  _umbrix_attrib; echo "${COMPREPLY[*]}"' _ "$completion")
[ "$words" = "+R +A +S +H" ] ||
  { echo "package.sh: the installed bash completion offers '$words' after +" >&2; exit 1; }

echo "== starting the installed program on the offscreen platform"
(cd "$work/home" && exec "${sandbox[@]}" QT_QPA_PLATFORM=offscreen /usr/bin/umbrix \
   >"$work/run.log" 2>&1) &
pid=$!
sleep 3
if ! kill -0 "$pid" 2>/dev/null; then
  wait "$pid" && code=0 || code=$?
  pid=
  echo "package.sh: /usr/bin/umbrix ended within 3 seconds (exit $code):" >&2
  cat "$work/run.log" >&2
  exit 1
fi
echo "still running after 3 s (pid $pid); stopping it"
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=
[ -s "$work/run.log" ] && { echo "-- its output:"; cat "$work/run.log"; }
if [ "$(id -u)" -eq 0 ]; then
  grep -q '^\[Software\]$' "$flag" 2>/dev/null &&
    grep -q 'Installed\\SCRRUN\.DLL=1$' "$flag" ||
    { echo "package.sh: root's start left no Installed flag in $flag" >&2; exit 1; }
  echo "root's start checked the file-system object and recorded it in $flag"
fi

echo "== removing the package"
"${as_root[@]}" apt-get remove -y umbrix
installed=0
[ ! -e /usr/bin/umbrix ] || { echo "package.sh: /usr/bin/umbrix is still there after removal" >&2; exit 1; }
echo "package.sh: the package built, validated, installed, started and was removed"
