#!/usr/bin/env bash
# Starts the real program under Xvfb (with openbox) on a temporary settings
# file and database folder, waits for its window, saves a screenshot of the
# login, logs into the new profile "Default" with QUILT and saves one of the
# tree. Fails when the window never appears.
# Usage: tools/smoke.sh [BIN_DIR] [OUT_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${1:-$root/build/bin}
out=${2:-$root/build/smoke}
mkdir -p "$out"
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

export TAVRINO_SETTINGS=$work/settings.ini
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
"$bin/tavrino-cli" init --database "$work/db" >/dev/null
sed -i 's/^Corvane\\Tavrino\\Startup=.*/Corvane\\Tavrino\\Startup=1/' "$TAVRINO_SETTINGS"

Xvfb -displayfd 4 -screen 0 640x520x24 -noreset -nolisten tcp 4>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 0.5

QT_QPA_PLATFORM=xcb "$bin/tavrino" >"$work/tavrino.log" 2>&1 &
pids+=($!)
window=""
for _ in $(seq 100); do
  window=$(xdotool search --name '^Tavrino Password Manager$' 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
if [ -z "$window" ]; then
  echo "smoke: the Tavrino window never appeared" >&2
  cat "$work/tavrino.log" >&2
  exit 1
fi
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
shot() { import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" "$out/$1"; }
shot login.png
xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
xdotool type --delay 30 QUILT
xdotool key Return
sleep 1
shot tree.png
echo "smoke: window $window shown; screenshots in $out"
