#!/usr/bin/env bash
# The window program zeroes every block it frees; with another allocator put
# in front of the C library's (LD_PRELOAD of jemalloc, as some desktops and
# tools do) it must start, show its window and end as well.
#   usage: other_allocator.sh BIN_DIR
set -uo pipefail
bin=$1
jemalloc=/usr/lib/x86_64-linux-gnu/libjemalloc.so.2
[ -f "$jemalloc" ] || { echo "SKIP: libjemalloc2 is not installed" >&2; exit 77; }
work=$(mktemp -d /tmp/tavrino-alloc.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/run"
export TAVRINO_SETTINGS=$work/settings.ini XDG_RUNTIME_DIR=$work/run QT_QPA_PLATFORM=offscreen
"$bin/tavrino-cli" init --database "$work/db" >/dev/null || { echo "FAIL: init" >&2; exit 1; }
sed -i 's/Startup=0/Startup=1/' "$TAVRINO_SETTINGS" # no getting-started window to wait on
TAVRINO_QUIT_WHEN_SHOWN=1 LD_PRELOAD=$jemalloc timeout 30 "$bin/tavrino" >"$work/out" 2>&1
status=$?
[ $status -eq 0 ] || { echo "FAIL: the window under jemalloc ended with $status: $(tail -3 "$work/out")" >&2; exit 1; }
echo "other allocator: the window started and ended under jemalloc"
