#!/usr/bin/env bash
# Redraws every picture of assets/ from tools/pictures/make_pictures.cpp.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" --target make_pictures >/dev/null
runtime=$(mktemp -d)
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$runtime "$root/build/bin/make_pictures" "$root/assets"
rm -rf "$runtime"
