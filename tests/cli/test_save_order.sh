#!/usr/bin/env bash
# The order in which a save makes its steps durable, read from strace: a
# step a power cut could lose must be on the disk before the step that
# relies on it.
# - a save: the new file is flushed before it is renamed into place, and the
#   folder is flushed after the landing and before the old file (the .bak)
#   is removed;
# - a conversion to the other format: the folder is flushed between the
#   lock's rename and the landing of the new file (else both formats could
#   stand side by side after a power cut).
#   usage: test_save_order.sh BIN_DIR FIXTURES_DIR
set -uo pipefail
bin=$1
fixtures=$2
command -v strace >/dev/null || { echo "SKIP: strace is missing" >&2; exit 77; }
work=$(mktemp -d /tmp/tavrino-order.XXXXXX)
trap 'rm -rf "$work"' EXIT
db=$work/db
mkdir -p "$db" && mkdir -m 700 "$work/run"
cp "$fixtures/Home.dat" "$db/"
export TAVRINO_SETTINGS=$work/settings.ini XDG_RUNTIME_DIR=$work/run XDG_STATE_HOME=$work/state XDG_CACHE_HOME=$work/state
fail() { echo "FAIL: $*" >&2; cat "$work/trace" >&2; exit 1; }
traced() {
  echo QUILT | strace -f -y -o "$work/trace" -e trace=renameat2,rename,link,unlink,fsync,fdatasync \
    "$bin/tavrino-cli" "$@" --database "$db" >/dev/null || fail "$*"
  # Only the folder's own steps, one a line, as "call target".
  grep -v -e tavrino-saves -e stamps "$work/trace" | grep -e "$db" |
    sed -E 's/^[0-9]+ +//' >"$work/steps"
}
# The line number of the first step matching a pattern, after line $2.
at() { awk -v from="${2:-0}" -v re="$1" 'NR > from && $0 ~ re { print NR; exit }' "$work/steps"; }

printf 'Category,Description,UserCode,Password,Notes,ExpiryDate,WebSite,Email\nWeb,Order,me,pw,,,,\n' >"$work/a.csv"
traced import Home "$work/a.csv"
flush=$(at '^f(data)?sync\([0-9]+<[^>]*/Home\.dat\.tmp-')
land=$(at '^(renameat2|link)\(.*Home\.dat\.tmp-[^"]*", .*"[^"]*/Home\.dat"')
[ -n "$land" ] || fail "no landing found"
[ -n "$flush" ] && [ "$flush" -lt "$land" ] || fail "the new file is not flushed before it lands"
folder=$(at "^fsync\\([0-9]+<$db>\\)" "$land")
drop=$(at '^unlink\(.*/Home\.dat\.bak"\) = 0' "$land")
[ -n "$folder" ] && [ -n "$drop" ] && [ "$folder" -lt "$drop" ] ||
  fail "the folder is not flushed between the landing and the removal of the .bak"

traced seal Home
lock=$(at '^(renameat2|link)\(.*/Home\.dat", .*/Home\.dat\.bak"')
land=$(at '^(renameat2|link)\(.*Home\.dat\.tmp-[^"]*", .*"[^"]*/Home\.sealed"')
[ -n "$lock" ] && [ -n "$land" ] || fail "no lock or landing found in the seal"
folder=$(at "^fsync\\([0-9]+<$db>\\)" "$lock")
[ -n "$folder" ] && [ "$folder" -lt "$land" ] ||
  fail "the folder is not flushed between the lock's rename and the sealed file's landing"
echo "save order: flush before landing, folder flushed before the .bak goes and before a conversion lands"
