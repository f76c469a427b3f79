#!/usr/bin/env bash
# Tavrino on a Wayland desktop: Weston nested in Xvfb (its X11 back end, as a
# headless Weston has no keyboard; its pixman renderer, which needs no GL),
# the program on Qt's Wayland platform. It starts, is logged into and used by
# keyboard alone; no pixel of the key colour shows around its shaped
# windows; a copied password is pasteable (wl-paste) and gone 10 s later;
# nothing is printed on standard error.
# Skips (77) where Weston, wl-clipboard or Qt's Wayland platform is missing.
# Usage: tests/desktop/wayland_session.sh [BIN_DIR] [OUT_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
bin=${1:-$root/build/bin}
out=${2:-$root/build/wayland}
mkdir -p "$out"
plugin=$(ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so 2>/dev/null | head -n 1 || true)
for need in weston wl-paste Xvfb xdotool import; do
  command -v "$need" >/dev/null || { echo "wayland_session: $need is missing; skipped" >&2; exit 77; }
done
[ -n "$plugin" ] || { echo "wayland_session: Qt's Wayland platform (qt6-wayland) is missing; skipped" >&2; exit 77; }

source "$root/tools/x_session.sh"
fail() {
  echo "wayland_session: $*" >&2
  import -window root "$out/failed.png" 2>/dev/null || true
  cat "$work/tavrino.log" "$work/weston.log" >&2 2>/dev/null || true
  exit 1
}
weston --backend=x11-backend.so --use-pixman --socket=wl-tavrino --width=780 --height=560 --idle-time=0 \
  >"$work/weston.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/wl-tavrino" ] && break; sleep 0.1; done
if [ ! -S "$XDG_RUNTIME_DIR/wl-tavrino" ]; then
  # Not the program's fault: this machine's Weston can not run (no GL, say).
  echo "wayland_session: Weston did not start here; skipped" >&2
  tail -5 "$work/weston.log" >&2
  exit 77
fi
export WAYLAND_DISPLAY=wl-tavrino
compositor=""
for _ in $(seq 100); do
  compositor=$(grep -o 'window id [0-9]*' "$work/weston.log" | head -n 1 | cut -d' ' -f3 || true)
  [ -n "$compositor" ] && break
  sleep 0.1
done
[ -n "$compositor" ] || fail "Weston's window did not appear"
sleep 1
xdotool windowactivate --sync "$compositor" >/dev/null 2>&1 || xdotool windowfocus "$compositor" || true
printf 'QUILT\nW4yland!\n' | "$bin/tavrino-cli" add Default Webmail wl.user >/dev/null

QT_QPA_PLATFORM=wayland "$bin/tavrino" >"$work/tavrino.log" 2>"$work/tavrino.err" &
pids+=($!)
keys() { xdotool key --delay 80 "$@"; sleep 0.4; }
typed() { xdotool type --delay 40 "$1"; sleep 0.3; }
pasted() { timeout 5 wl-paste --no-newline 2>/dev/null || true; }
sleep 3
keys Return                                   # the getting-started tip: OK
sleep 1
typed QUILT
keys Return                                   # log in
sleep 1
keys ctrl+f
typed Webmail
keys Return                                   # open the record
sleep 0.5
keys alt+p                                    # POPUP
sleep 1.5
# The popup's note that it can not stay on top, once: OK.
keys Return
sleep 1
import -window root "$out/wayland.png"
keys Tab Return                               # copy the password
sleep 0.5
[ "$(pasted)" = 'W4yland!' ] || fail "the password did not reach the clipboard (it holds '$(pasted)')"
magenta=$(convert "$out/wayland.png" -fill black +opaque '#FF00FF' -fill white -opaque '#FF00FF' \
  -format '%[fx:round(mean*w*h)]' info:)
blue=$(convert "$out/wayland.png" -fill black +opaque '#0000FF' -fill white -opaque '#0000FF' \
  -format '%[fx:round(mean*w*h)]' info:)
[ "$magenta" = 0 ] && [ "$blue" = 0 ] ||
  fail "the key colour shows around the windows ($magenta magenta, $blue blue pixels)"
sleep 10.5
[ -z "$(pasted)" ] || fail "the password was still pasteable 10 s after the copy"
[ ! -s "$work/tavrino.err" ] || fail "the program wrote on standard error: $(cat "$work/tavrino.err")"
echo "wayland_session: logged in, no key colour, the clipboard emptied"
