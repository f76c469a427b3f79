#!/usr/bin/env bash
# Builds and makes the Debian package build/tavrino_VERSION_amd64.deb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-packages.sh"
"$root/tools/build.sh"
cd "$root/build"
cpack -G DEB -B "$root/build" >/dev/null
ls "$root"/build/tavrino_*_amd64.deb
