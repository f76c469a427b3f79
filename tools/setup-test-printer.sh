#!/usr/bin/env bash
# Makes a CUPS queue "CAPTURE" the default printer; every job sent to it is
# written as a file into $1 (default /tmp/tavrino-printed), where the tests
# read it back. Needs root and Debian's cups.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-/tmp/tavrino-printed}
mkdir -p "$dir"
install -m 0700 "$root/tools/cups-capture-backend" /usr/lib/cups/backend/capture
pgrep -x cupsd >/dev/null || /usr/sbin/cupsd
for _ in $(seq 50); do lpstat -r >/dev/null 2>&1 && break; sleep 0.2; done
lpadmin -p CAPTURE -E -v "capture:$dir" -m raw 2>/dev/null
lpadmin -d CAPTURE
echo "$dir"
