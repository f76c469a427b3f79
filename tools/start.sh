#!/usr/bin/env bash
# Installs what is missing, builds, prepares the settings and a default
# database folder (with a first profile when it has none), and starts Tavrino.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-packages.sh"
"$root/tools/build.sh"
"$root/build/bin/tavrino-cli" init
exec "$root/build/bin/tavrino" "$@"
