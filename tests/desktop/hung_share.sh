#!/usr/bin/env bash
# A share that stops answering while a vault is open on it: the real
# program in an X session of its own (Xvfb, openbox) on an sshfs mount,
# logged in; then the sshd serving the mount is stopped, so that the live
# view's next look hangs on the network. Closing the window must still end
# the program at once (nothing is unsaved), not when the share returns: its
# window goes and its main thread ends. (A thread whose call the kernel has
# handed to the mount's server can not be stopped until the server answers
# or the mount gives up on it: until then the process stays a zombie,
# holding nothing the user sees.)
# Usage: tests/desktop/hung_share.sh [BIN_DIR]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
bin=${1:-$root/build/bin}
work=$(mktemp -d /tmp/tavrino-hung.XXXXXX)
pids=()
stopped=()
cleanup() {
  [ ${#stopped[@]} -gt 0 ] && kill -CONT "${stopped[@]}" 2>/dev/null
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  sleep 0.3
  rig_down 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
source "$root/tests/netfs/sshfs_rig.sh"
fail() {
  echo "hung share: $*" >&2
  cat "$work/tavrino.log" >&2 2>/dev/null
  exit 1
}
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || { echo "SKIP: Xvfb or xdotool missing"; exit 77; }
mkdir -p "$work/shared"
RIG_MOUNTS=1 rig_up "$work/shared" || exit $?
mkdir -m 700 "$work/run"
export TAVRINO_SETTINGS=$work/settings.ini XDG_RUNTIME_DIR=$work/run XDG_STATE_HOME=$work/run XDG_CACHE_HOME=$work/run
"$bin/tavrino-cli" init --database "$MOUNT_A" >/dev/null 2>&1 || fail "init on the mount"

Xvfb -displayfd 4 -screen 0 800x600x24 -noreset -nolisten tcp 4>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 0.3
QT_QPA_PLATFORM=xcb "$bin/tavrino" >"$work/tavrino.log" 2>&1 &
vault=$!
pids+=($vault)
wait_window() {
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  fail "the window '$1' never appeared"
}
keys() { xdotool key --delay 60 "$@"; sleep 0.3; }
wait_window 'Getting Started'
sleep 0.5
keys Return
wait_window 'Tavrino Password Manager'
sleep 0.5
xdotool type --delay 30 QUILT
keys Return
sleep 0.5

# The share stops: every process serving the mount, the sshd's and the
# sftp server, stands still.
descendants() { local p; for p in $(ps -o pid= --ppid "$1"); do echo "$p"; descendants "$p"; done; }
stopped=($(descendants "$(cat "$RIG_DIR/sshd.pid")"))
[ ${#stopped[@]} -gt 0 ] || fail "no process serves the mount"
kill -STOP "${stopped[@]}"
sleep 3 # a look every 2 seconds: one hangs now
kill -0 $vault 2>/dev/null || fail "the program ended by itself"
ended() { ! kill -0 $vault 2>/dev/null || grep -q '^State:.*zombie' /proc/$vault/status 2>/dev/null; }
start=$(date +%s%N)
keys alt+F4
for _ in $(seq 50); do ended && break; sleep 0.1; done
ms=$((($(date +%s%N) - start) / 1000000))
xdotool search --onlyvisible --name '^Tavrino Password Manager$' >/dev/null 2>&1 &&
  fail "the window is still there ${ms} ms after it was closed"
if ! ended; then
  kill -CONT "${stopped[@]}"
  stopped=()
  fail "still running ${ms} ms after the window was closed on a hung share"
fi
echo "hung share: the program ended ${ms} ms after its window was closed while a look hung"
