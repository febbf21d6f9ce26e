#!/usr/bin/env bash
# Plants each one-line fault of tools/faults.txt, one at a time, in a scratch
# git worktree (never this checkout), builds it with the dev preset and runs
# the whole suite, then prints which faults the tests caught.  Every fault
# must be caught; one whose line has gone or changed is "not applied", never
# counted as caught.
#
# Usage: tools/plant-faults.sh [--ref REF] [--list FILE] [--scratch DIR] [NAME...]
#   REF      what to test (main by default)
#   FILE     the faults (tools/faults.txt beside this script)
#   DIR      the scratch worktree, kept between runs so that builds are
#            incremental (/tmp/umbrix-plant-faults by default)
#   NAME...  only these faults
# Exit status: 0 when every fault was caught, 1 otherwise.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(git -C "$here" rev-parse --show-toplevel)
ref=main
list=$here/faults.txt
scratch=/tmp/umbrix-plant-faults
while [ $# -gt 0 ]; do
  case $1 in
    --ref) ref=$2; shift 2 ;;
    --list) list=$2; shift 2 ;;
    --scratch) scratch=$2; shift 2 ;;
    -h|--help) sed -n '2,15p' "$0"; exit 0 ;;
    *) break ;;
  esac
done
only=("$@")
[ "$(realpath -m "$scratch")" != "$repo" ] || { echo "the scratch tree may not be this checkout" >&2; exit 2; }

# The faults: blocks of "fault NAME", "in FILE", "from TEXT", "to TEXT",
# "what TEXT"; "#" starts a comment line.
names=() files=() froms=() tos=() whats=()
while IFS= read -r line || [ -n "$line" ]; do
  line=${line#"${line%%[![:space:]]*}"}
  case $line in ''|'#'*) continue ;; esac
  key=${line%% *}
  value=${line#"$key"}
  value=${value#"${value%%[![:space:]]*}"}
  case $key in
    fault) names+=("$value"); files+=(""); froms+=(""); tos+=(""); whats+=("") ;;
    in) files[-1]=$value ;;
    from) froms[-1]=$value ;;
    to) tos[-1]=$value ;;
    what) whats[-1]=$value ;;
    *) echo "$list: cannot read: $line" >&2; exit 2 ;;
  esac
done <"$list"

# The scratch tree at REF, its build directory kept.
git -C "$repo" worktree prune
if [ -e "$scratch/.git" ]; then
  git -C "$scratch" checkout -q --detach --force "$ref"
  git -C "$scratch" clean -fdq -e /build
else
  rm -rf "$scratch"
  git -C "$repo" worktree add -q --detach "$scratch" "$ref"
fi
logs=$scratch/build/plant-faults
mkdir -p "$logs"
export CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_BASEDIR=$scratch

# The dev preset, linked by lld where it is there to save time; once the
# plain build has made everything, only the programs the suite runs.
configure=(cmake --preset dev -DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld)
command -v ld.lld >/dev/null || configure=(cmake --preset dev -DCMAKE_EXE_LINKER_FLAGS=)
targets=(all)
build() {
  (cd "$scratch" && "${configure[@]}" >"$1" 2>&1 &&
    cmake --build --preset dev -j2 --target "${targets[@]}" >>"$1" 2>&1)
}
testTargets() {
  (cd "$scratch" && ctest --preset dev --show-only=json-v1) | /usr/bin/python3 -c '
import json, os, sys
names = {os.path.basename(t["command"][0]) for t in json.load(sys.stdin)["tests"] if t.get("command")}
print(" ".join(sorted(names | {"umbrix", "umbrix-attrib"})))'
}
suite() { (cd "$scratch" && ctest --preset dev -j2 --stop-on-failure >"$1" 2>&1); }
failedTests() {
  sed -n '/The following tests FAILED/,$p' "$1" | grep -oE '^[[:space:]]*[0-9]+ - [^ ]+' |
    sed -E 's/^[[:space:]]*[0-9]+ - //' | head -3 | paste -sd ' ' -
}

echo "Plain $(git -C "$scratch" rev-parse --short HEAD) ($ref): building and testing..."
if ! build "$logs/plain-build.log"; then
  echo "the plain tree does not build: $logs/plain-build.log" >&2; exit 2
fi
if ! suite "$logs/plain-test.log"; then
  echo "the plain tree fails its tests: $logs/plain-test.log" >&2; exit 2
fi
read -ra targets <<<"$(testTargets)"

# Writes fault $1 into its file; prints why when it cannot.
plant() {
  /usr/bin/python3 - "$scratch/${files[$1]}" "${froms[$1]}" "${tos[$1]}" <<'PY'
import sys
path, old, new = sys.argv[1:4]
try:
    text = open(path, encoding='utf-8').read()
except OSError:
    print('file gone'); sys.exit(1)
lines = text.split('\n')
hits = [i for i, l in enumerate(lines) if old in l]
if len(hits) != 1:
    print('line gone' if not hits else 'line found %d times' % len(hits)); sys.exit(1)
lines[hits[0]] = lines[hits[0]].replace(old, new, 1)
open(path, 'w', encoding='utf-8').write('\n'.join(lines))
PY
}

results=() missed=0 caught=0 skipped=0
for i in "${!names[@]}"; do
  name=${names[$i]}
  if [ ${#only[@]} -gt 0 ] && ! printf '%s\n' "${only[@]}" | grep -qxF "$name"; then continue; fi
  log=$logs/$name
  started=$SECONDS
  if ! why=$(plant "$i"); then
    result="NOT APPLIED ($why)"; skipped=$((skipped + 1))
  elif ! build "$log.build.log"; then
    result="NOT BUILT (see $log.build.log)"; missed=$((missed + 1))
  else
    built=$SECONDS
    if suite "$log.test.log"; then
      result="MISSED"; missed=$((missed + 1))
    else
      result="caught by $(failedTests "$log.test.log")"; caught=$((caught + 1))
    fi
    result="$result  [build $((built - started))s, tests $((SECONDS - built))s]"
  fi
  git -C "$scratch" checkout -q -- "${files[$i]}" 2>/dev/null || true
  results+=("$(printf '%-28s %-40s %s' "$name" "${files[$i]}" "$result")")
  printf '%-28s %s\n' "$name" "$result"
done
# Leaves the scratch build as REF has it.
targets=(all)
build "$logs/plain-build.log" || true

echo
printf '%-28s %-40s %s\n' FAULT FILE RESULT
printf '%s\n' "${results[@]}"
echo
echo "$caught caught, $missed missed, $skipped not applied, of ${#results[@]} faults at $(git -C "$scratch" rev-parse --short HEAD)"
[ "$missed" -eq 0 ] && [ "$skipped" -eq 0 ]
