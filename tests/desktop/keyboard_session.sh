#!/usr/bin/env bash
# A whole session of the real program by keyboard alone, under Xvfb and
# openbox with the accessibility bus running: no mouse event at all. On the
# way, what a screen reader sees is checked through AT-SPI: every command
# shown is a push button with a press action. Fails naming the step.
# Usage: tests/desktop/keyboard_session.sh [BIN_DIR] [OUT_DIR]
set -euo pipefail
if [ "${TAVRINO_IN_BUS:-}" != 1 ]; then
  # A private session bus, for the accessibility bus it starts.
  exec env TAVRINO_IN_BUS=1 dbus-run-session -- "$0" "$@"
fi
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
bin=${1:-$root/build/bin}
out=${2:-$root/build/keyboard}
mkdir -p "$out"
source "$root/tools/x_session.sh"
fail() {
  echo "keyboard: $*" >&2
  import -window root "$out/failed.png" 2>/dev/null || true
  cat "$work/tavrino.log" >&2 2>/dev/null || true
  exit 1
}

/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
pids+=($!)
sleep 0.5

QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb "$bin/tavrino" >"$work/tavrino.log" 2>&1 &
pids+=($!)
atspi() { "$here/atspi_tree.py" Tavrino "$@"; }
window_gone() {
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  fail "the window '$1' did not close"
}
clipboard_is() {
  for _ in $(seq 25); do
    [ "$(xclip -o -selection clipboard 2>/dev/null || true)" = "$1" ] && return 0
    sleep 0.2
  done
  fail "the clipboard does not hold '$1' after $2"
}
# Whether the buttons are shown as push buttons, waiting up to 5 s for them.
buttons_shown() {
  local why=""
  for _ in $(seq 10); do
    why=$(atspi buttons "$@" 2>&1) && return 0
    sleep 0.5
  done
  fail "$why"
}
keys() { xdotool key --delay 60 "$@"; sleep 0.3; }
typed() { xdotool type --delay 30 "$1"; sleep 0.2; }

wait_window 'Getting Started'
sleep 0.5
keys Return                                   # OK
wait_window 'Tavrino Password Manager'
sleep 0.5
buttons_shown LOGIN LOST HELP 'Hide Tavrino' 'Close Tavrino'
atspi absent Records SAVE || fail "hidden panels reach the screen reader at the login"
atspi dump >"$out/login.txt"

typed QUILT
keys Return                                   # log in
buttons_shown SETUP NEW HELP 'Lock Tavrino'
keys alt+n                                    # NEW
typed kb.user
keys Tab Tab                                  # past the category
typed 'Keyboard only'
keys Tab
typed 'K3y!'
keys Tab
typed 'K3y!'
buttons_shown SAVE UNDO BACK DELETE '@PWD*' POPUP
atspi absent Records LOGIN 'Choose a profile to open !' || fail "hidden panels reach the screen reader at a record"
atspi dump >"$out/record.txt"
keys Return                                   # SAVE
keys alt+p                                    # POPUP
wait_window 'Tavrino Record'
sleep 0.5
buttons_shown 'Copy User Code to Clipboard ' 'Copy Password to Clipboard ' Close
keys space                                    # copy the user code
clipboard_is kb.user 'Space on the first copy image'
keys Tab Return                               # copy the password
clipboard_is 'K3y!' 'Tab and Enter on the second copy image'
keys Escape                                   # close the popup
window_gone 'Tavrino Record'
clipboard_is '' 'the popup closed'
sleep 0.5
keys Escape                                   # BACK to the tree
buttons_shown NEW SETUP
keys Tab Tab                                  # from the tree to the buttons: HELP
window=$(xdotool search --onlyvisible --name '^Tavrino Password Manager$' | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$window")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" "$out/keyboard-focus.png"
keys shift+Tab shift+Tab                      # back to the tree
keys ctrl+l                                   # lock
buttons_shown LOGIN LOST
keys alt+q                                    # LOST: the secret question
typed QUILT
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" "$out/questions.png"
keys Return
buttons_shown NEW SETUP
atspi press 'Lock Tavrino'                    # a screen reader's press
buttons_shown LOGIN LOST

kill "${pids[-1]}" 2>/dev/null || true
sleep 0.3
dump=$(echo QUILT | "$bin/tavrino-cli" dump Default --database "$work/db")
grep -q '"Description": "Keyboard only"' <<<"$dump" || fail "the record typed is not in the profile file"
echo "keyboard: logged in, added and saved a record, copied from the popup, locked and came back by the questions without a mouse; AT-SPI dumps in $out"
