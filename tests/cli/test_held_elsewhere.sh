#!/usr/bin/env bash
# A Windows workstation that holds a profile with reading denied makes the
# open fail with EBUSY over SMB. Played here with strace: the tool says the
# profile is in use elsewhere and to try again, never to restart, and reads
# it as soon as the hold ends.
#   usage: test_held_elsewhere.sh BIN_DIR FIXTURES_DIR
set -uo pipefail
bin=$1
fixtures=$2
command -v strace >/dev/null || { echo "SKIP: strace is missing" >&2; exit 77; }
work=$(mktemp -d /tmp/tavrino-held.XXXXXX)
trap 'rm -rf "$work"' EXIT
cp "$fixtures/Home.dat" "$work/"
export TAVRINO_SETTINGS=$work/settings.ini TAVRINO_PAUSE_MS=1 XDG_RUNTIME_DIR=$work
fail() { echo "FAIL: $*" >&2; exit 1; }

echo QUILT | strace -f -o /dev/null -P "$work/Home.dat" -e trace=openat -e inject=openat:error=EBUSY \
  "$bin/tavrino-cli" dump Home --database "$work" >/dev/null 2>"$work/err"
status=$?
[ $status -ne 0 ] || fail "a held profile was read"
grep -q "Please try again in a moment" "$work/err" || fail "said: $(cat "$work/err")"
grep -q "close application" "$work/err" && fail "asks for a restart: $(cat "$work/err")"
echo QUILT | "$bin/tavrino-cli" dump Home --database "$work" >/dev/null || fail "not read once the hold ended"
echo "held elsewhere: $(cat "$work/err")"
