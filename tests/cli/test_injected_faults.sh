#!/usr/bin/env bash
# Faults of the file system played with strace on the command-line tool:
# - a Windows workstation that holds a profile with reading denied makes the
#   open fail with EBUSY over SMB: the tool says the profile is in use
#   elsewhere and to try again, never to restart, and reads it as soon as the
#   hold ends;
# - the folder can not be synced after a save's move into place (EIO): the
#   save fails, and the profile is the old one, with nothing left beside it;
# - the key derivation of a sealed profile gets no memory (ulimit -v): seal,
#   open and create say so and fail, never abort or call it a wrong login.
#   usage: test_injected_faults.sh BIN_DIR FIXTURES_DIR
set -uo pipefail
bin=$1
fixtures=$2
command -v strace >/dev/null || { echo "SKIP: strace is missing" >&2; exit 77; }
work=$(mktemp -d /tmp/tavrino-held.XXXXXX)
trap 'rm -rf "$work"' EXIT
cp "$fixtures/Home.dat" "$work/"
export TAVRINO_SETTINGS=$work/settings.ini TAVRINO_PAUSE_MS=1 XDG_RUNTIME_DIR=$work XDG_STATE_HOME=$work XDG_CACHE_HOME=$work
fail() { echo "FAIL: $*" >&2; exit 1; }

echo QUILT | strace -f -o /dev/null -P "$work/Home.dat" -e trace=openat -e inject=openat:error=EBUSY \
  "$bin/tavrino-cli" dump Home --database "$work" >/dev/null 2>"$work/err"
status=$?
[ $status -ne 0 ] || fail "a held profile was read"
grep -q "Please try again in a moment" "$work/err" || fail "said: $(cat "$work/err")"
grep -q "close application" "$work/err" && fail "asks for a restart: $(cat "$work/err")"
echo QUILT | "$bin/tavrino-cli" dump Home --database "$work" >/dev/null || fail "not read once the hold ended"
echo "held elsewhere: $(cat "$work/err")"

before=$(sha256sum <"$work/Home.dat")
printf 'Category,Description,UserCode,Password,Notes,ExpiryDate,WebSite,Email\nWeb,New,me,pw,,,,\n' >"$work/new.csv"
echo QUILT | strace -f -o /dev/null -P "$work" -e trace=fsync -e inject=fsync:error=EIO \
  "$bin/tavrino-cli" import Home "$work/new.csv" --database "$work" >/dev/null 2>"$work/err"
[ $? -ne 0 ] || fail "a save whose folder could not be synced was reported done"
grep -q "Input/output error" "$work/err" || fail "said: $(cat "$work/err")"
[ "$(sha256sum <"$work/Home.dat")" = "$before" ] || fail "the profile changed"
left=$(cd "$work" && ls -A | grep '^Home' | tr '\n' ' ')
[ "$left" = "Home.dat " ] || fail "left beside the profile: $left"
echo "folder sync fails: $(cat "$work/err")"

# A folder whose file system moves no file without replacing and makes no
# links (an SMB share mounted by rclone): nothing else keeps two
# workstations apart there, so the save is refused at once, once, naming the
# folder and the step it lacks; nothing changes.
before=$(sha256sum <"$work/Home.dat")
echo QUILT | strace -f -o "$work/trace" -P "$work/Home.dat" -e trace=renameat2,link \
  -e inject=renameat2:error=EINVAL -e inject=link:error=EIO \
  "$bin/tavrino-cli" import Home "$work/new.csv" --database "$work" >/dev/null 2>"$work/err"
[ $? -ne 0 ] || fail "a save without its lock step was reported done"
tries=$(grep -c '^[0-9]* *link(' "$work/trace")
[ "$tries" -eq 1 ] || fail "the lock step was tried $tries times"
grep -q "the file system of the folder $work refused to rename Home.dat to Home.dat.bak" "$work/err" ||
  fail "said: $(cat "$work/err")"
grep -q "close application" "$work/err" && fail "asks for a restart: $(cat "$work/err")"
[ "$(sha256sum <"$work/Home.dat")" = "$before" ] || fail "the profile changed"
echo "no rename without replacing, no links: $(cat "$work/err")"

# The error log on a mount that refuses to open a file for appending
# (rclone without write caching): the line still lands, the log rewritten
# aside; where nothing can be written, the tool says so on stderr.
log=$work/TavrinoErrors.log
lines=$(wc -l <"$log")
echo QUILT | strace -f -o /dev/null -P "$log" -e trace=openat -e inject=openat:error=EPERM:when=1 \
  "$bin/tavrino-cli" dump Nope --database "$work" >/dev/null 2>"$work/err"
[ "$(wc -l <"$log")" -eq $((lines + 1)) ] || fail "the log line was lost: $(tail -2 "$log")"
grep -q "could not write" "$work/err" && fail "said: $(cat "$work/err")"
echo QUILT | strace -f -o /dev/null -P "$log" -e trace=openat -e inject=openat:error=EPERM \
  "$bin/tavrino-cli" dump Nope --database "$work" >/dev/null 2>"$work/err"
grep -q "could not write to the error log $log: Operation not permitted" "$work/err" ||
  fail "a lost log line was not said: $(cat "$work/err")"
echo "error log refusing appends: rewritten; refusing all: said on stderr"

# 100 MB of address space: the tool runs, the 64 MiB key derivation does not.
limited() { (ulimit -v 100000; "$@"); }
echo QUILT | limited "$bin/tavrino-cli" seal Home --database "$work" >/dev/null 2>"$work/err"
status=$?
[ $status -eq 1 ] || fail "seal without memory ended with $status: $(cat "$work/err")"
grep -q "Not enough memory to seal the profile" "$work/err" || fail "seal said: $(cat "$work/err")"
[ -f "$work/Home.dat" ] && [ ! -e "$work/Home.sealed" ] || fail "seal without memory changed the folder"
echo QUILT | "$bin/tavrino-cli" seal Home --database "$work" >/dev/null || fail "seal with memory"
echo QUILT | limited "$bin/tavrino-cli" dump Home --database "$work" >/dev/null 2>"$work/err"
[ $? -eq 1 ] || fail "open without memory did not fail plainly"
grep -q "Not enough memory to open the sealed profile" "$work/err" || fail "open said: $(cat "$work/err")"
limited "$bin/tavrino-cli" create Other --sealed --database "$work" >/dev/null 2>"$work/err"
[ $? -eq 1 ] || fail "create without memory did not fail plainly"
grep -q "Not enough memory to create the sealed profile" "$work/err" || fail "create said: $(cat "$work/err")"
echo "no memory for the key derivation: seal, open and create fail with a plain message"
