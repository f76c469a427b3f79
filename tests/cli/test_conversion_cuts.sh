#!/usr/bin/env bash
# Seal and unseal cut short at every step that touches the database folder:
# - killed (SIGKILL from strace at the Nth call of each file system call);
# - as a power loss would leave it: the same cut, then every file that was
#   still being written aside is cut in half and the machine's runtime folder
#   (where a saver says it is alive) is gone.
# The next open must find the profile in exactly one format: the new one if
# its file was complete, else the old one; nothing left beside it, and every
# record as it was. A removal of the old file that fails is reported as a
# failure, and the next open finishes the job.
#   usage: test_conversion_cuts.sh BIN_DIR FIXTURES_DIR
set -uo pipefail
bin=$1
fixtures=$2
command -v strace >/dev/null || { echo "SKIP: strace is missing" >&2; exit 77; }
work=$(mktemp -d /tmp/tavrino-cuts.XXXXXX)
trap 'rm -rf "$work"' EXIT
db=$work/db
export TAVRINO_SETTINGS=$work/settings.ini TAVRINO_PAUSE_MS=1 XDG_STATE_HOME=$work/state XDG_CACHE_HOME=$work/state
export TAVRINO_ABANDONED_MS=200
fail() { echo "FAIL: $*" >&2; exit 1; }
cli() { echo QUILT | XDG_RUNTIME_DIR=$work/run "$bin/tavrino-cli" "$@" --database "$db"; }
calls=renameat2,rename,unlink,unlinkat,openat,write,fsync,utimensat

fresh() {
  rm -rf "$db" "$work/run" "$work/state"
  mkdir -p "$db"
  mkdir -m 700 "$work/run"
  cp "$fixtures/Home.dat" "$db/"
  [ "$1" = unseal ] && { cli seal Home >/dev/null || fail "seal for the unseal cuts"; }
  rm -rf "$work/run"
  mkdir -m 700 "$work/run"
}

fresh seal
# The content, apart from the stamp that a complete conversion moves on.
content() { grep -v '"change_stamp"'; }
expected=$(cli dump Home | content) || fail "dump of the fixture"

# Which calls of each kind touch the folder (by name, or by an open file in
# it): their numbers among all calls of that kind, for strace's when=N.
touching() {
  local command=$1 call=$2
  fresh "$command"
  echo QUILT | XDG_RUNTIME_DIR=$work/run strace -qq -y -o "$work/trace" -e trace="$call" \
    "$bin/tavrino-cli" "$command" Home --database "$db" >/dev/null 2>&1
  grep "^$call(" "$work/trace" | grep -n . | grep -F "$db/" | cut -d: -f1
}

cuts=0
for command in seal unseal; do
  [ $command = seal ] && newer=Home.sealed || newer=Home.dat
  for call in ${calls//,/ }; do
    for i in $(touching $command $call); do
      for loss in kill power; do
        fresh $command
        (echo QUILT | XDG_RUNTIME_DIR=$work/run strace -qq -o /dev/null -e trace="$call" \
          -e inject="$call":signal=KILL:when=$i \
          "$bin/tavrino-cli" $command Home --database "$db" >/dev/null 2>&1) 2>/dev/null
        if [ $loss = power ]; then
          for t in "$db"/*.tmp-*; do
            [ -f "$t" ] && truncate -s $(($(stat -c %s "$t") / 2)) "$t"
          done
          rm -rf "$work/run"
          mkdir -m 700 "$work/run"
          # Up again: a lock nobody is known to hold is sighted, and taken
          # for abandoned once it has stayed the abandoned age.
          cli list >/dev/null
          TAVRINO_PAUSE_MS=100 cli dump Home >/dev/null 2>&1
          sleep 0.25
        fi
        complete=no
        [ -f "$db/$newer" ] && complete=yes
        what="$command cut at $call #$i ($loss)"
        # Attempts 100 ms apart: a save whose saver is unknown is abandoned
        # after 200 ms of sightings.
        got=$(TAVRINO_PAUSE_MS=100 cli dump Home 2>"$work/err") || fail "$what: no open: $(cat "$work/err")"
        got=$(content <<<"$got")
        [ "$got" = "$expected" ] || fail "$what: the records changed"
        left=$(cd "$db" && ls -A | grep -v '^TavrinoErrors.log$' | tr '\n' ' ')
        if [ $complete = yes ]; then
          [ "$left" = "$newer " ] || fail "$what: the new file was complete, the folder holds: $left"
        else
          case "$left" in
            "Home.dat " | "Home.sealed ") ;;
            *) fail "$what: the folder holds: $left" ;;
          esac
        fi
        cuts=$((cuts + 1))
      done
    done
  done
done
echo "$cuts cuts of seal and unseal: each time one format, nothing left beside it, every record kept"

# The old file's removal refused: seal says so and fails; the next open
# removes it, since the sealed file is complete.
fresh seal
echo QUILT | XDG_RUNTIME_DIR=$work/run strace -f -qq -o /dev/null -P "$db/Home.dat.bak" \
  -e trace=unlink,unlinkat -e inject=unlink,unlinkat:error=EACCES \
  "$bin/tavrino-cli" seal Home --database "$db" >/dev/null 2>"$work/err"
[ $? -ne 0 ] || fail "a seal that left the readable file behind was reported done"
grep -q "Home.dat.bak, its copy in the old format, could not be removed" "$work/err" ||
  fail "seal said: $(cat "$work/err")"
said=$(head -1 "$work/err")
TAVRINO_PAUSE_MS=100 cli dump Home >/dev/null 2>"$work/err" || fail "no open after the refused removal: $(cat "$work/err")"
left=$(cd "$db" && ls -A | grep -v '^TavrinoErrors.log$' | tr '\n' ' ')
[ "$left" = "Home.sealed " ] || fail "after the refused removal the folder holds: $left"
echo "old file's removal refused: $said"
