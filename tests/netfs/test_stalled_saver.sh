#!/usr/bin/env bash
# A saver held up past the abandoned age, while the other workstation finds
# its lock abandoned. TAVRINO_STALL says when A stalls:
# - before-landing (default): after its last look at its lock, before its
#   move into place (strace stalls that link); B recovers and saves. The
#   stalled save fails, B's lands.
# - after-landing: right after its move into place (strace stalls the link
#   that lands it); B only reads the profile (its recovery removes A's .bak,
#   the landed file being whole), then, in every other round, saves on top.
#   A's save stands, and so does B's: the profile is never gone.
# - same-second: before its landing (strace stalls the flush of its new
#   file), with a short abandoned age: B recovers A's lock and locks the
#   same bytes again within about a second. A must see that the lock is no
#   longer its own (on sshfs times are whole seconds and the change time is
#   the modification time) and fail; B's save lands.
# Nothing reported saved may be lost.
#   usage: test_stalled_saver.sh BIN_DIR   TAVRINO_RIG_ROUNDS (3) rounds
set -uo pipefail
bin=$1
rounds=${TAVRINO_RIG_ROUNDS:-3}
command -v strace >/dev/null || { echo "strace is missing: skipped"; exit 77; }
here=$(cd "$(dirname "$0")" && pwd)
source "$here/sshfs_rig.sh"

work=$(mktemp -d /tmp/tavrino-stall.XXXXXX)
shared=$work/shared
mkdir -p "$shared" "$work/run-a" "$work/run-b"
chmod 700 "$work/run-a" "$work/run-b"
trap 'rig_down; rm -rf "$work"' EXIT
rig_up "$shared" || exit $?

stall=${TAVRINO_STALL:-before-landing}
export TAVRINO_PAUSE_MS=100
abandoned_ms=4000
[ "$stall" = same-second ] && abandoned_ms=300 TAVRINO_PAUSE_MS=20
export TAVRINO_ABANDONED_MS=$abandoned_ms
on() {
  local ws=$1
  shift
  local mount=$MOUNT_A
  [ "$ws" = b ] && mount=$MOUNT_B
  XDG_STATE_HOME=$work/run-$ws XDG_CACHE_HOME=$work/run-$ws XDG_RUNTIME_DIR=$work/run-$ws TAVRINO_SETTINGS=$work/$ws.ini "$@" --database "$mount"
}
fail() {
  echo "FAIL: $*" >&2
  ls -la "$shared" >&2
  cat "$shared/TavrinoErrors.log" "$work"/*.out >&2 2>/dev/null
  exit 1
}
csv() {
  local f=$work/$1.csv
  printf 'Category,Description,UserCode,Password,Notes,ExpiryDate,WebSite,Email\nWeb,%s,me,pw,,,,\n' "$1" >"$f"
  echo "$f"
}
files() { (cd "$shared" && ls -A | grep -v -e '^TavrinoErrors.log' -e '^\.fuse_hidden' | tr '\n' ' '); }
descriptions() { printf 'QUILT\n' | on b "$bin/tavrino-cli" dump Work | grep '"Description"' | sed 's/.*"Description": "\(.*\)",*/\1/'; }

on a "$bin/tavrino-cli" create Work >/dev/null || fail "create"
landed=0 refused=0 lost=0
for r in $(seq 1 "$rounds"); do
  first=1 then=$((abandoned_ms / 1000 + 1))
  case $stall in
  after-landing)
    # Over sshfs a move that must not replace is a link and an unlink: the
    # first link takes the lock, the second lands the new file; it returns
    # twice the abandoned age late.
    inject=link:delay_exit=$((abandoned_ms * 2000)):when=2 ;;
  same-second)
    # The first flush is of A's new file, written under its lock.
    inject=fsync:delay_enter=3000000:when=1 first=0.2 then=0.35 ;;
  *)
    # The second link of A's save is its move into place (the first took
    # the lock); it waits twice the abandoned age before it starts.
    inject=link:delay_enter=$((abandoned_ms * 2000)):when=2 ;;
  esac
  printf 'QUILT\n' | on a strace -f -o /dev/null -e inject=$inject \
    "$bin/tavrino-cli" import Work "$(csv "a$r")" >"$work/a.out" 2>&1 &
  pa=$!
  sleep $first
  # B sees A's lock (a save in progress) and gives up for now ...
  printf 'QUILT\n' | on b "$bin/tavrino-cli" import Work "$(csv "early$r")" >"$work/b-early.out" 2>&1 &&
    fail "round $r: B saved while A held the lock"
  # ... and once the lock has stood for the abandoned age, recovers and
  # saves (or only reads).
  sleep $then
  b_saves=yes
  [ "$stall" = after-landing ] && [ $((r % 2)) -eq 1 ] && b_saves=no
  if [ $b_saves = yes ]; then
    printf 'QUILT\n' | on b "$bin/tavrino-cli" import Work "$(csv "b$r")" >"$work/b.out" 2>&1 ||
      fail "round $r: B could not save after the abandoned age"
    landed=$((landed + 1))
  else
    read_now=$(descriptions) || fail "round $r: B could not read the profile after the abandoned age"
    grep -qx "a$r" <<<"$read_now" || fail "round $r: B did not find A's landed save"
  fi
  wait $pa
  ra=$?
  now=$(descriptions) || fail "round $r: the profile can not be read"
  if [ $b_saves = yes ]; then
    grep -qx "b$r" <<<"$now" || { lost=$((lost + 1)); echo "round $r: B's save is gone" >&2; }
  fi
  [ "$stall" = same-second ] && [ $ra -eq 0 ] && fail "round $r: A landed under B's lock"
  if [ $ra -ne 0 ] && [ "$stall" != after-landing ]; then
    grep -q "held up so long that another workstation's save came first" "$work/a.out" &&
      grep -q "Please save again" "$work/a.out" || fail "round $r: A's refusal said: $(cat "$work/a.out")"
  fi
  [ "$stall" = after-landing ] && [ $ra -ne 0 ] &&
    fail "round $r: A's landed save was reported failed: $(tail -1 "$work/a.out")"
  if [ $ra -eq 0 ]; then
    landed=$((landed + 1))
    grep -qx "a$r" <<<"$now" || { lost=$((lost + 1)); echo "round $r: A's save, reported done, is gone" >&2; }
  else
    refused=$((refused + 1))
    grep -qx "a$r" <<<"$now" && fail "round $r: A's refused save is in the file"
  fi
  [ "$(files)" = "Work.dat " ] || fail "round $r: the folder holds: $(files)"
  [ $ra -eq 0 ] || echo "round $r: A refused: $(tail -1 "$work/a.out")"
done
echo "stalled savers ($stall): $rounds rounds, $landed landed, $refused refused, $lost lost"
[ $lost -eq 0 ] || fail "saves were lost"
