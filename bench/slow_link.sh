#!/usr/bin/env bash
# Round trips per operation on a slow link: the sshfs rig's sshd, one mount
# straight to it and one through a relay that delays every chunk by D ms
# each way (bench/delay_relay.py). Round trips of an operation =
# (median time through the relay - median time straight) / (2 D).
# Run by hand; CI times nothing.
#   usage: bench/slow_link.sh [BIN_DIR] [D_MS (25)] [RUNS (3)]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${1:-$root/build/bin}
delay=${2:-25}
runs=${3:-3}
source "$root/tests/netfs/sshfs_rig.sh"
work=$(mktemp -d /tmp/tavrino-slow.XXXXXX)
relay=
cleanup() {
  fusermount -u "$work/slow" 2>/dev/null
  [ -n "$relay" ] && kill "$relay" 2>/dev/null
  rig_down
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/shared" "$work/slow" && mkdir -m 700 "$work/run"
RIG_MOUNTS=1 rig_up "$work/shared" || exit $?
fast=$MOUNT_A
port=$((RIG_PORT + 1))
python3 "$root/bench/delay_relay.py" "$port" "$RIG_PORT" "$delay" >"$work/relay.out" 2>&1 &
relay=$!
for _ in $(seq 50); do grep -q ready "$work/relay.out" 2>/dev/null && break; sleep 0.1; done
sshfs -p "$port" -o "IdentityFile=$RIG_DIR/user_key,StrictHostKeyChecking=no,UserKnownHostsFile=/dev/null,cache=no,LogLevel=ERROR" \
  "$(id -un)@127.0.0.1:$work/shared" "$work/slow" || { echo "the slow mount failed" >&2; exit 1; }
slow=$work/slow

export TAVRINO_SETTINGS=$work/settings.ini XDG_RUNTIME_DIR=$work/run XDG_STATE_HOME=$work/run XDG_CACHE_HOME=$work/run
cli() { "$bin/tavrino-cli" "$@"; }
cp "$root/tests/fixtures/Home.dat" "$root/tests/fixtures/Big.dat" "$work/shared/"
for i in 1 2 3 4 5 6 7 8; do cli create "P$i" --database "$work/shared" >/dev/null; done
row=0
csv() {
  row=$((row + 1))
  printf 'Category,Description,UserCode,Password,Notes,ExpiryDate,WebSite,Email\nWeb,Row %s,me,pw,,,,\n' "$row" >"$work/row.csv"
  echo "$work/row.csv"
}
# The median of RUNS timings (ms) of a command given as a shell function name.
median_ms() {
  local f=$1 mount=$2 times=()
  for _ in $(seq "$runs"); do
    local start=$(date +%s%N)
    $f "$mount" >/dev/null 2>&1
    times+=($((($(date +%s%N) - start) / 1000000)))
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p"
}
import_home() { printf 'QUILT\n' | cli import Home "$(csv)" --database "$1"; }
import_big() { printf 'bulk\nBig pass 1\n' | cli import Big "$(csv)" --database "$1"; }
dump_home() { printf 'QUILT\n' | cli dump Home --database "$1"; }
list_all() { cli list --database "$1"; }
window_start() {
  sed -i "s#^Corvane\\\\Tavrino\\\\Database=.*#Corvane\\\\Tavrino\\\\Database=$1#" "$TAVRINO_SETTINGS"
  QT_QPA_PLATFORM=offscreen TAVRINO_QUIT_WHEN_SHOWN=1 "$bin/tavrino"
}
cli init --database "$fast" >/dev/null 2>&1
sed -i 's/Startup=0/Startup=1/' "$TAVRINO_SETTINGS"

printf '%-28s %10s %10s %12s\n' operation straight relay "round trips"
for op in import_home import_big dump_home list_all window_start; do
  straight=$(median_ms $op "$fast")
  through=$(median_ms $op "$slow")
  printf '%-28s %8s ms %8s ms %12s\n' "$op" "$straight" "$through" \
    "$(awk -v a="$straight" -v b="$through" -v d="$delay" 'BEGIN { printf "%.1f", (b - a) / (2 * d) }')"
done
