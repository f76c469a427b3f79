#!/usr/bin/env bash
# A Windows-style SMB share (Samba on 127.0.0.1) mounted by rclone on two
# workstations. rclone offers no step that keeps two workstations' saves
# apart (no rename that refuses an existing target, no links; its exclusive
# create and mkdir both let two workstations win), so a save there is
# refused at once, saying why; the profile is read, listed and left whole,
# also when both workstations try at once.
#   usage: test_smb_rclone.sh BIN_DIR
set -uo pipefail
bin=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/smb_rig.sh"
work=$(mktemp -d /tmp/tavrino-rclone.XXXXXX)
shared=$work/shared
mkdir -p "$shared" && mkdir -m 700 "$work/run-a" "$work/run-b"
trap 'smb_rig_down; rm -rf "$work"' EXIT
smb_rig_up "$shared" || exit $?
export TAVRINO_PAUSE_MS=100
on() { # workstation, then the command's arguments
  local ws=$1 mount=$MOUNT_A
  shift
  [ "$ws" = b ] && mount=$MOUNT_B
  XDG_STATE_HOME=$work/run-$ws XDG_CACHE_HOME=$work/run-$ws XDG_RUNTIME_DIR=$work/run-$ws TAVRINO_SETTINGS=$work/$ws.ini \
    "$bin/tavrino-cli" "$@" --database "$mount"
}
fail() { echo "FAIL: $*" >&2; ls -la "$shared" >&2; cat "$work"/*.out >&2 2>/dev/null; exit 1; }
csv() {
  printf 'Category,Description,UserCode,Password,Notes,ExpiryDate,WebSite,Email\nWeb,%s,me,pw,,,,\n' "$1" >"$work/$1.csv"
  echo "$work/$1.csv"
}

# The profile made on the server's own disk, then used through the mounts.
XDG_RUNTIME_DIR=$work/run-a TAVRINO_SETTINGS=$work/server.ini "$bin/tavrino-cli" create Work --database "$shared" >/dev/null ||
  fail "create on the server"
before=$(sha256sum <"$shared/Work.dat")
on a list | grep -qx Work || fail "Work is not listed through the mount"
printf 'QUILT\n' | on a dump Work >/dev/null || fail "Work can not be read through the mount"

start=$(date +%s%N)
printf 'QUILT\n' | on a import Work "$(csv lone)" >"$work/a.out" 2>&1 && fail "a save was reported done"
ms=$((($(date +%s%N) - start) / 1000000))
[ $ms -lt 3000 ] || fail "the refusal took $ms ms: tried again as if busy"
grep -q "refused to rename Work.dat to Work.dat.bak without replacing" "$work/a.out" || fail "said: $(cat "$work/a.out")"
grep -q "close application" "$work/a.out" && fail "asks for a restart"

for r in 1 2 3; do
  printf 'QUILT\n' | on a import Work "$(csv "a$r")" >"$work/a.out" 2>&1 &
  pa=$!
  printf 'QUILT\n' | on b import Work "$(csv "b$r")" >"$work/b.out" 2>&1 &
  pb=$!
  wait $pa && fail "round $r: a's save was reported done"
  wait $pb && fail "round $r: b's save was reported done"
done
[ "$(sha256sum <"$shared/Work.dat")" = "$before" ] || fail "the profile changed"
left=$(cd "$shared" && ls -A | grep '^Work' | tr '\n' ' ')
[ "$left" = "Work.dat " ] || fail "left beside the profile: $left"
echo "rclone: every save refused at once ($ms ms), profile whole: $(tail -1 "$work/a.out")"
