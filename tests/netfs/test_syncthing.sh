#!/usr/bin/env bash
# Two members share a profile through Syncthing (two instances on loopback,
# a folder each). Both save at once, round after round, and nobody merges
# by hand: the copies Syncthing sets aside are taken in by the next saves.
# In the end, after one more save each, both folders hold one and the same
# whole profile with every record once, and no copy.
#   usage: test_syncthing.sh BIN_DIR [ROUNDS]
set -uo pipefail
bin=$1
rounds=${2:-20}
here=$(cd "$(dirname "$0")" && pwd)
command -v syncthing >/dev/null || { echo "SKIP: syncthing is not installed"; exit 77; }
work=$(mktemp -d /tmp/tavrino-syncthing.XXXXXX)
rig() { python3 "$here/syncthing_rig.py" "$@" "$work"; }
trap 'rig down; rm -rf "$work"' EXIT
mkdir -m 700 "$work/run-a" "$work/run-b"
rig up || { cat "$work"/st-*.log >&2; exit 1; }
export TAVRINO_PAUSE_MS=100
on() { # member, then the command's arguments
  local m=$1
  shift
  XDG_STATE_HOME=$work/run-$m XDG_CACHE_HOME=$work/run-$m XDG_RUNTIME_DIR=$work/run-$m \
    TAVRINO_SETTINGS=$work/$m.ini "$bin/tavrino-cli" "$@" --database "$work/$m"
}
fail() { echo "FAIL: $*" >&2; ls -la "$work/a" "$work/b" >&2; tail -5 "$work"/*.err >&2 2>/dev/null; exit 1; }
add() { printf 'QUILT\npw\n' | on "$1" add Team "$2" me >>"$work/$1.out" 2>>"$work/$1.err"; }
copies() { ls "$work/$1" | grep -c '^Team\..*sync-conflict' ; }

on a create Team >/dev/null || fail "create"
rig settle || fail "Team did not reach b"

landed=0 refused=0 made=0
for r in $(seq 1 "$rounds"); do
  add a "A-$r" &
  pa=$!
  add b "B-$r" &
  pb=$!
  wait $pa && landed=$((landed + 1)) || refused=$((refused + 1))
  wait $pb && landed=$((landed + 1)) || refused=$((refused + 1))
  rig settle || fail "round $r: the folders did not settle"
  made=$((made + $(copies a)))
done
add a "A-final" || fail "a's last save"
rig settle || fail "after a's last save"
add b "B-final" || fail "b's last save"
rig settle || fail "after b's last save"

taken=$(cat "$work/a.err" "$work/b.err" | grep -o 'Took in [0-9]* cop' | awk '{n += $3} END {print n + 0}')
echo "syncthing: $rounds rounds, $landed saves landed, $refused refused, $made copies seen after a round, $taken taken in, $(copies a) left"
[ "$(copies a)" = 0 ] && [ "$(copies b)" = 0 ] || fail "copies left"
cmp -s "$work/a/Team.dat" "$work/b/Team.dat" || fail "the two members' profiles differ"
for m in a b; do
  printf 'QUILT\n' | on $m dump Team >"$work/$m.json" || fail "$m can not read Team"
  got=$(python3 -c 'import json,sys; print("\n".join(sorted(r["Description"] for r in json.load(open(sys.argv[1]))["records"])))' "$work/$m.json")
  want=$( (for r in $(seq 1 "$rounds"); do echo "A-$r"; echo "B-$r"; done; echo A-final; echo B-final) | sort)
  [ "$got" = "$want" ] || fail "$m holds other records than every one once: $(diff <(echo "$want") <(echo "$got") | grep '^[<>]' | head | tr '\n' ' ')"
done
grep -q "Took in" "$work/a.err" "$work/b.err" || fail "no copy was ever made: nothing was tried"
exit 0
