#!/usr/bin/env bash
# The Debian package as a user meets it: made by CPack from this build, its
# desktop entry and AppStream data validated, installed with apt-get, used
# (tavrino-cli, its man page, the help files), and removed again.
# Usage: tests/package/test_deb.sh BUILD_DIR      (exit 77: skipped)
set -euo pipefail
build=$1
out=$(mktemp -d)
installed=no
cleanup() {
  if [ "$installed" = yes ]; then apt-get purge -y tavrino >/dev/null 2>&1 || true; fi
  rm -rf "$out"
}
trap cleanup EXIT
fail() { echo "deb: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$out" >"$out/cpack.log" 2>&1) || { cat "$out/cpack.log" >&2; fail "cpack failed"; }
deb=$(ls "$out"/tavrino_*_amd64.deb)
echo "deb: $(basename "$deb"), $(stat -c %s "$deb") bytes"
echo "deb: Depends: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "Depends misses the Qt libraries"
dpkg-deb -f "$deb" Recommends | grep -q 'qt6-wayland' || fail "Recommends misses Qt's Wayland platform"
dpkg-deb -x "$deb" "$out/root"
appstreamcli validate --no-net "$out/root/usr/share/metainfo/org.tavrino.Tavrino.metainfo.xml" ||
  fail "the AppStream metainfo does not validate"
desktop-file-validate "$out/root/usr/share/applications/org.tavrino.Tavrino.desktop" ||
  fail "the desktop entry does not validate"
# Printing is a module the program loads when asked, from ../lib/tavrino
# beside its own folder.
[ -s "$out/root/usr/lib/tavrino/libtavrino-printing.so" ] ||
  fail "the printing module is not in the package where the program looks for it"
for size in 16 32 48 64 128 256; do
  [ -s "$out/root/usr/share/icons/hicolor/${size}x$size/apps/tavrino.png" ] || fail "no ${size}px icon"
done

if [ "$(id -u)" != 0 ]; then
  echo "deb: not root, so not installed (the checks above passed)"
  exit 77
fi
# Only an installed one counts: a removed package may leave its state behind.
if dpkg-query -W -f='${Status}' tavrino 2>/dev/null | grep -q "install ok installed"; then
  echo "deb: a tavrino package is installed already; left alone"
  exit 77
fi
# Some images keep man pages and documents out; ours are asked for by name.
installed=yes
DEBIAN_FRONTEND=noninteractive apt-get install -y \
  -o Dpkg::Options::=--path-include='/usr/share/man/man1/tavrino*' \
  -o Dpkg::Options::=--path-include='/usr/share/doc/tavrino/*' "$deb" >"$out/apt.log" 2>&1 ||
  { cat "$out/apt.log" >&2; fail "apt-get could not install the package"; }
tavrino-cli --help | grep -q '^Usage: tavrino-cli' || fail "tavrino-cli --help says no usage"
man -w tavrino-cli >/dev/null || fail "man -w tavrino-cli finds no page"
man -w tavrino >/dev/null || fail "man -w tavrino finds no page"
for f in Tavrino.html QuickStartGuide.pdf; do
  [ -s "/usr/share/doc/tavrino/$f" ] || fail "/usr/share/doc/tavrino/$f is missing"
done
home=$(mktemp -d -p "$out")
HOME=$home XDG_CONFIG_HOME=$home/config tavrino-cli init --database "$home/db" >/dev/null ||
  fail "the installed tavrino-cli could not make a database folder"
[ "$(HOME=$home XDG_CONFIG_HOME=$home/config tavrino-cli list --database "$home/db")" = Default ] ||
  fail "the installed tavrino-cli does not list the new profile"
DEBIAN_FRONTEND=noninteractive apt-get purge -y tavrino >"$out/apt.log" 2>&1 || fail "apt-get purge failed"
installed=no
[ ! -e /usr/bin/tavrino-cli ] || fail "removing left /usr/bin/tavrino-cli"
echo "deb: installed, used and removed"
