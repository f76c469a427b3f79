#!/usr/bin/env bash
# Two people in one profile at once: two vault windows of the real program,
# each in an X session of its own (Xvfb, openbox, own settings and runtime
# folder), on one database folder; the second reaches it over an sshfs
# mount when this machine can make one. Both log in, each adds a record
# and saves, one after the other: both records are in the file, the second
# save says in its bottom line that it was merged, nobody is asked anything
# else. The command-line
# tool dumps the profile while both are open.
# Usage: tests/desktop/two_vaults.sh [BIN_DIR] [OUT_DIR]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
bin=${1:-$root/build/bin}
out=${2:-$root/build/two-vaults}
mkdir -p "$out"
work=$(mktemp -d /tmp/tavrino-two.XXXXXX)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  sleep 0.3
  rig_down 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
source "$root/tests/netfs/sshfs_rig.sh"
fail() {
  echo "two vaults: $*" >&2
  for s in a b; do DISPLAY=$(cat "$work/display-$s") import -window root "$out/failed-$s.png" 2>/dev/null; done
  cat "$work"/tavrino-?.log >&2 2>/dev/null
  exit 1
}

db=$work/db
mkdir -p "$db"
# Person a works on the folder itself, person b over the network when it can.
db_b=$db
over="the same folder"
if rig_up "$db" 2>"$work/rig.log"; then db_b=$MOUNT_B over="an sshfs mount"; fi

start_session() { # name database
  local s=$1
  mkdir -m 700 -p "$work/run-$s"
  TAVRINO_SETTINGS=$work/$s.ini "$bin/tavrino-cli" init --database "$2" >/dev/null || fail "init $s"
  Xvfb -displayfd 4 -screen 0 800x600x24 -noreset -nolisten tcp 4>"$work/display-$s" >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do [ -s "$work/display-$s" ] && break; sleep 0.1; done
  local display=:$(cat "$work/display-$s")
  echo "$display" >"$work/display-$s"
  DISPLAY=$display openbox >/dev/null 2>&1 &
  pids+=($!)
  sleep 0.3
  DISPLAY=$display TAVRINO_SETTINGS=$work/$s.ini XDG_RUNTIME_DIR=$work/run-$s XDG_STATE_HOME=$work/run-$s XDG_CACHE_HOME=$work/run-$s QT_QPA_PLATFORM=xcb \
    "$bin/tavrino" >"$work/tavrino-$s.log" 2>&1 &
  pids+=($!)
}
on() { local s=$1; shift; DISPLAY=$(cat "$work/display-$s") "$@"; }
wait_window() { # session title
  for _ in $(seq 100); do
    on "$1" xdotool search --onlyvisible --name "^$2\$" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  fail "$1: the window '$2' never appeared"
}
keys() { local s=$1; shift; on "$s" xdotool key --delay 60 "$@"; sleep 0.3; }
typed() { on "$1" xdotool type --delay 30 "$2"; sleep 0.2; }
dump() { echo QUILT | TAVRINO_SETTINGS=$work/a.ini "$bin/tavrino-cli" dump Default --database "$db"; }

"$bin/tavrino-cli" init --database "$db" >/dev/null 2>&1
for s in a b; do
  db_s=$db
  [ $s = b ] && db_s=$db_b
  start_session $s "$db_s"
done
for s in a b; do
  wait_window $s 'Getting Started'
  sleep 0.5
  keys $s Return
  wait_window $s 'Tavrino Password Manager'
  sleep 0.5
  typed $s QUILT                                # both logged in at once
  keys $s Return
done
sleep 0.5
dump >"$work/dump0" || fail "the command-line tool can not dump the profile while both are open"

type_record() { # session description
  keys "$1" alt+n
  typed "$1" "$1.user"
  keys "$1" Tab Tab
  typed "$1" "$2"
  keys "$1" Tab
  typed "$1" 'pw'
  keys "$1" Tab
  typed "$1" 'pw'
}
# Both type a record before either saves: b's change is unsaved while a's
# save lands, so b's window can not just take a's save in.
type_record a 'From a'
type_record b 'From b'
keys a Return                                    # a saves
sleep 1
keys b Return                                    # then b
sleep 1.5                                        # merged: said in the bottom line
on b import -window root "$out/merged-b.png"
on b xdotool search --onlyvisible --name '^Tavrino$' >/dev/null 2>&1 &&
  fail "b was shown a box for a merge that dropped nothing"
dump >"$work/dump1" || fail "dump after both saves"
grep -q '"Description": "From a"' "$work/dump1" || fail "a's record is lost"
grep -q '"Description": "From b"' "$work/dump1" || fail "b's record is lost"
on a xdotool search --onlyvisible --name '^Record changed by another user$' >/dev/null 2>&1 &&
  fail "a was asked about a record nobody else touched"
[ "$(grep -c '"Description"' "$work/dump1")" = 2 ] || fail "expected two records: $(grep '"Description"' "$work/dump1")"

# Both change the same record, "From a": a saves first; b is asked, and
# keeps its own version (Enter: Keep mine, the first button).
keys b Escape                                    # b: back to the list, on "From b"
keys b Up Return                                 # open "From a"
for s in a b; do
  keys $s End                                    # the user code's end
  typed $s " ${s^^}"
done
keys a Return
sleep 1
keys b Return
wait_window b 'Record changed by another user'
on b import -window root "$out/choice-b.png"
keys b Return                                    # Keep mine
wait_window b 'Tavrino'                          # what was kept, what dropped
keys b Return
sleep 0.5
dump >"$work/dump2" || fail "dump after the choice"
grep -q '"UserCode": "a.user B"' "$work/dump2" || fail "b's kept version is not saved: $(grep '"UserCode"' "$work/dump2")"
grep -q '"UserCode": "a.user A"' "$work/dump2" && fail "a's version was kept though b chose its own"
[ "$(grep -c '"Description"' "$work/dump2")" = 2 ] || fail "expected two records: $(grep '"Description"' "$work/dump2")"
echo "two vaults: both logged in at once on $over, both records saved (the second merged), dump worked while both were open; the same record changed on both: b was asked and its choice saved"
