#!/usr/bin/env bash
# The real program, driven by keyboard under Xvfb, with a sealed profile:
# logged in by password, records opened, a password copied from the popup,
# locked; logged in again by the secret answers, locked again. After each
# lock its memory (heap, stacks, anonymous mappings) is read from outside
# and must hold neither the login password, nor an answer, nor any record's
# password, in UTF-8, UTF-16 or Latin-1; what is left of the record titles
# is said. Before the login, nothing at all. Needs root: the program makes itself undumpable, so no other
# process of the user may read its memory.
# Usage: tests/desktop/memory_after_lock.sh [BIN_DIR] [FIXTURES_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
bin=${1:-$root/build/bin}
fixtures=${2:-$root/tests/fixtures}
[ "$(id -u)" = 0 ] || { echo "SKIP: reading the memory of an undumpable process needs root" >&2; exit 77; }
source "$root/tools/x_session.sh"
fail() {
  echo "memory: $*" >&2
  import -window root "$work/failed.png" 2>/dev/null && cp "$work/failed.png" /tmp/memory-after-lock-failed.png
  exit 1
}

rm -f "$work/db/Default.dat"
cp "$fixtures/Work.dat" "$work/db/"
printf 'alice\nS3cret pass\n4711\n' | "$bin/tavrino-cli" seal Work --database "$work/db" >/dev/null

QT_QPA_PLATFORM=xcb "$bin/tavrino" >"$work/tavrino.log" 2>&1 &
app=$!
pids+=($app)
keys() { xdotool key --delay 60 "$@"; sleep 0.3; }
typed() { xdotool type --delay 30 "$1"; sleep 0.2; }

# Texts of the profile that must not outlast a lock.
login=('S3cret pass')
answers=(Rex Smith Zürich)
passwords=('Xy7!pq' pw17 hunter2 m30w 'm@il' 'S4v!ngs' 'Pässwörd€' 'Tr0ub4dor&3' 'p a s s' 'Pw東京1')
titles=('Main checking' 'No category entry' '9 Lives Forum' Mailbox Savings 'Café Crème' Webmail
        'Credit card' 'Old mail' 'Tokyo office 東京')
# Secrets must be gone; titles are measured and said (Qt may keep a copy of
# a text it showed in a cache of its own).
scan() {
  local when=$1 found titled
  found=$("$here/scan_memory.py" ${TAVRINO_SCAN_SHOW:+--show} "$app" "${login[@]}" "${answers[@]}" "${passwords[@]}" |
    awk -F'\t' '$1 != 0')
  [ -z "$found" ] || fail "$when, the memory holds (copies, text): $(tr '\n' ';' <<<"$found")"
  titled=$("$here/scan_memory.py" "$app" "${titles[@]}" | awk -F'\t' '$1 != 0' | tr '\n' ';')
  echo "memory: $when, record titles left: ${titled:-none}"
}

# The control: logged in, the texts are there (else the scans prove nothing).
present() {
  local when=$1 missing
  shift
  missing=$("$here/scan_memory.py" "$app" "$@" | awk -F'\t' '$1 == 0 {print $2}')
  [ -z "$missing" ] || fail "$when, the memory lacks: $(tr '\n' ';' <<<"$missing") (not logged in?)"
}

wait_window 'Getting Started'
sleep 0.5
keys Return
wait_window 'Tavrino Password Manager'
sleep 1
if ! "$here/scan_memory.py" "$app" probe >/dev/null 2>"$work/scan.err"; then
  echo "SKIP: $(cat "$work/scan.err")" >&2
  exit 77
fi
scan "before the login"
[ -z "$("$here/scan_memory.py" "$app" "${titles[@]}" | awk -F'\t' '$1 != 0')" ] || fail "titles before the login"

typed alice; keys Tab; typed 'S3cret pass'; keys Tab; typed 4711; keys Return
sleep 1.5
keys Return                     # the expiry warning
typed W; keys Right Down Return # Webmail
keys alt+p                      # its popup
wait_window 'Tavrino Record'
sleep 0.3
keys space Tab Return           # copy the user code, then the password
keys Escape                     # the popup closes
sleep 0.3
keys Escape                     # back to the list
typed M; keys Right Down Down Return # Main checking
sleep 0.3
present "logged in by password" 'S3cret pass' 'Tr0ub4dor&3' 'Main checking' 'Xy7!pq' Smith
keys ctrl+l
sleep 1
scan "after a lock (logged in by password)"

keys alt+q                      # LOST: the questions
typed Rex; keys Tab; typed Smith; keys Tab; typed Zürich; keys Return
sleep 1.5
keys Return                     # the expiry warning
present "logged in by the answers" Rex Smith 'Pässwörd€' 'Café Crème'
keys ctrl+l
sleep 1
scan "after a lock (logged in by the answers)"
echo "memory: before the login and after each lock, no login, answer or record password in the program's memory"
