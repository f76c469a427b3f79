#!/usr/bin/env bash
# The README's team folder, set up as it says (an administrator makes the
# folder, one member the rest), then used by a
# second member of the group and tried by an outsider, each a user of their
# own (setpriv): both members work in every profile, the first included;
# the outsider reads nothing.
#   usage: test_team_folder.sh BIN_DIR
set -uo pipefail
cli=$1/tavrino-cli
[ "$(id -u)" = 0 ] || { echo "SKIP: needs root to act as other users" >&2; exit 77; }
command -v setpriv >/dev/null || { echo "SKIP: setpriv is missing" >&2; exit 77; }

team=47211 alice=47301 bob=47302 mallory=47303
root=$(mktemp -d /tmp/tavrino-team.XXXXXX)
trap 'rm -rf "$root"' EXIT
chmod 1777 "$root" # as /tmp or a shared disk: anyone may make a folder here
folder=$root/vault
for u in alice bob mallory; do mkdir -p "$root/$u"; done
chown $alice "$root/alice"; chown $bob "$root/bob"; chown $mallory "$root/mallory"
chmod 700 "$root"/alice "$root"/bob "$root"/mallory

fail() { echo "FAIL: $*" >&2; ls -la "$folder" >&2 2>/dev/null; exit 1; }
# as USER UID GROUPS... -- COMMAND: a login of that user's own (settings, runtime folder).
as() {
  local name=$1 uid=$2 groups=$3
  shift 3
  HOME=$root/$name TAVRINO_SETTINGS=$root/$name/settings.ini XDG_RUNTIME_DIR=$root/$name \
    TAVRINO_PAUSE_MS=1 setpriv --reuid=$uid --regid=$uid --groups="$groups" "$@"
}
csv() {
  printf 'Category,Description,UserCode,Password,Notes,ExpiryDate,WebSite,Email\nWeb,%s,me,pw,,,,\n' "$1" >"$root/$1.csv"
  chmod 644 "$root/$1.csv"
  echo "$root/$1.csv"
}

# The recipe: the folder made by an administrator, then two commands of one
# member.
install -d -g $team -m 2770 "$folder" || fail "install -d"
as alice $alice $team "$cli" init --database "$folder" >/dev/null || fail "init"
as alice $alice $team "$cli" fix-access --database "$folder" >"$root/fix.out" || fail "fix-access: $(cat "$root/fix.out")"
grep -qx "Default.dat: owner and the folder's group" "$root/fix.out" || fail "fix-access said: $(cat "$root/fix.out")"

# The second member points their settings at the folder and works in the
# first profile; then a profile the second member creates is the first's too.
as bob $bob $team "$cli" init --database "$folder" | grep -q "switched\|database folder: $folder" || true
as bob $bob $team "$cli" list | grep -qx Default || fail "bob does not see Default"
printf 'QUILT\n' | as bob $bob $team "$cli" import Default "$(csv from-bob)" >/dev/null || fail "bob could not save Default"
as bob $bob $team "$cli" create Shared >/dev/null || fail "bob could not create a profile"
printf 'QUILT\n' | as alice $alice $team "$cli" import Shared "$(csv from-alice)" >/dev/null || fail "alice could not save bob's profile"
printf 'QUILT\n' | as alice $alice $team "$cli" dump Default | grep -q '"from-bob"' || fail "alice does not see bob's record"
printf 'QUILT\n' | as bob $bob $team "$cli" dump Shared | grep -q '"from-alice"' || fail "bob does not see alice's record"

# Files stay the group's after every save, and nobody else's.
for f in "$folder"/*.dat; do
  [ "$(stat -c '%a %g' "$f")" = "660 $team" ] || fail "$(basename "$f") is $(stat -c '%a %g' "$f")"
done

# The outsider: nothing to list, nothing to read.
as mallory $mallory $mallory "$cli" list --database "$folder" 2>/dev/null | grep -q . && fail "mallory lists profiles"
printf 'QUILT\n' | as mallory $mallory $mallory "$cli" dump Default --database "$folder" >/dev/null 2>&1 && fail "mallory read Default"
as mallory $mallory $mallory cat "$folder/Default.dat" >/dev/null 2>&1 && fail "mallory read the file"
echo "team folder: two members share Default and Shared; the outsider reads nothing"
echo PASS
