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
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || { echo "SKIP: Xvfb or xdotool missing"; exit 77; }
fail() {
  echo "hung share: $*" >&2
  cat "$work/tavrino.log" >&2 2>/dev/null
  exit 1
}
source "$root/tools/x_session.sh"
source "$root/tests/netfs/sshfs_rig.sh"
stopped=()
cleanup() {
  [ ${#stopped[@]} -gt 0 ] && kill -CONT "${stopped[@]}" 2>/dev/null
  rig_down 2>/dev/null
  x_session_cleanup
}
trap cleanup EXIT
export XDG_CACHE_HOME=$work/state
mkdir -p "$work/shared"
RIG_MOUNTS=1 rig_up "$work/shared" || exit $?
"$bin/tavrino-cli" init --database "$MOUNT_A" >/dev/null 2>&1 || fail "init on the mount"
QT_QPA_PLATFORM=xcb "$bin/tavrino" >"$work/tavrino.log" 2>&1 &
vault=$!
pids+=($vault)
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
