#!/usr/bin/env bash
# Redraws every picture of assets/ from tools/pictures/make_pictures.cpp.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/build.sh" >/dev/null
QT_QPA_PLATFORM=offscreen "$root/build/bin/make_pictures" "$root/assets"
