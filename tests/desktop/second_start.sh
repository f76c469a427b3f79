#!/usr/bin/env bash
# One window that always comes back: the real program under Xvfb is
# minimised, then started a second time; the second start must end by itself
# and bring the first window back, with no "already running" box.
# Usage: tests/desktop/second_start.sh [BIN_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
bin=${1:-$root/build/bin}
source "$root/tools/x_session.sh"
fail() {
  echo "second_start: $*" >&2
  cat "$work"/*.log >&2 2>/dev/null || true
  xdotool search --name . getwindowname %@ >&2 2>/dev/null || true
  ps -ef | grep -c "[b]in/tavrino" >&2 || true
  exit 1
}
visible() { xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }

QT_QPA_PLATFORM=xcb "$bin/tavrino" >"$work/first.log" 2>&1 &
pids+=($!)
wait_window 'Getting Started'
xdotool search --onlyvisible --name '^Getting Started$' windowactivate --sync >/dev/null 2>&1 || true
xdotool key Return
wait_window 'Tavrino Password Manager'
vault=$(xdotool search --onlyvisible --name '^Tavrino Password Manager$' | head -n 1)
xdotool windowminimize --sync "$vault"
for _ in $(seq 30); do visible 'Tavrino Password Manager' || break; sleep 0.1; done
visible 'Tavrino Password Manager' && fail "the window could not be minimised"

QT_QPA_PLATFORM=xcb timeout 10 "$bin/tavrino" >"$work/second.log" 2>&1 ||
  fail "the second start did not end by itself (exit $?)"
wait_window 'Tavrino Password Manager'
visible 'Second Instance' && fail "the second start said the program runs already"
kill -0 "${pids[-1]}" || fail "the first copy ended"
[ ! -s "$work/second.log" ] || fail "the second start wrote: $(cat "$work/second.log")"
echo "second_start: the first window came back"
