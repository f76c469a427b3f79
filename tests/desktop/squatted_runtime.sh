#!/usr/bin/env bash
# Another local user can not keep Tavrino from starting. Where
# XDG_RUNTIME_DIR is unset (su, ssh, cron sessions) Qt's fallback is
# TMPDIR/runtime-USER; here another user (nobody, through setpriv) makes
# that folder first in a shared temporary folder, world-writable, with a
# lock file and a socket named as Tavrino's in it. The real program must
# still start and show its window, with no "already running" box.
# Usage: tests/desktop/squatted_runtime.sh [BIN_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
bin=${1:-$root/build/bin}
[ "$(id -u)" = 0 ] && command -v setpriv >/dev/null || { echo "SKIP: needs root and setpriv"; exit 77; }
source "$root/tools/x_session.sh"
fail() {
  echo "squatted runtime: $*" >&2
  cat "$work"/*.log >&2 2>/dev/null || true
  exit 1
}
shared_tmp=$(mktemp -d /tmp/tavrino-squat.XXXXXX)
squatter=
trap '[ -n "$squatter" ] && kill "$squatter" 2>/dev/null; rm -rf "$shared_tmp"; x_session_cleanup' EXIT
chmod 1777 "$shared_tmp"
squat=$shared_tmp/runtime-$(id -un)
cat >"$shared_tmp/squat.py" <<'PY'
import os, socket, sys, time
folder, uid = sys.argv[1], sys.argv[2]
os.mkdir(folder)
os.chmod(folder, 0o777)
open(os.path.join(folder, "tavrino-%s.lock" % uid), "w").write("1\ntavrino\nhost\n")
s = socket.socket(socket.AF_UNIX)
s.bind(os.path.join(folder, "tavrino-%s.bell" % uid))
s.listen(1)  # never accepts: a start that connected would hang
open(folder + "/ready", "w").close()
time.sleep(120)
PY
setpriv --reuid=65534 --regid=65534 --clear-groups /usr/bin/python3 "$shared_tmp/squat.py" "$squat" "$(id -u)" &
squatter=$!
for _ in $(seq 50); do [ -e "$squat/ready" ] && break; sleep 0.1; done
[ "$(stat -c %U "$squat" 2>/dev/null)" = nobody ] || fail "the squat was not made as another user"

env -u XDG_RUNTIME_DIR TMPDIR="$shared_tmp" QT_QPA_PLATFORM=xcb "$bin/tavrino" >"$work/tavrino.log" 2>&1 &
pids+=($!)
wait_window 'Getting Started'
xdotool search --onlyvisible --name '^Second Instance$' >/dev/null 2>&1 &&
  fail "said it was already running"
grep -q "runtime directory" "$work/tavrino.log" || fail "the start never met the squatted folder"
echo "squatted runtime: the program started and showed its window"
