#!/usr/bin/env bash
# Drives the real holdra binary on a private X server the way a user would:
# stash from the command line, start the shelf, open it with the hot key, paste
# a copied file, close, quit, trash, restore and lock from the terminal, start
# again and find everything as it was. (Typing and handing files to the running
# shelf are KeyRoads' and CommandLineBesideShelf's roads.)
#
# Usage: EndToEnd.sh HOLDRA_BINARY
set -uo pipefail
holdra=$1
. "$(dirname "$0")/lib.sh"

echo "a report" >"$scratch/report.txt"
echo "pasted" >"$scratch/pasted.txt"
"$holdra" add "$scratch/report.txt" >/dev/null || fail "holdra add"

start
geometry
[ "$Y" -eq 0 ] && [ $(( X + WIDTH / 2 )) -eq 960 ] || fail "the capsule is at $X,$Y ($WIDTH×$HEIGHT), not at the top centre"

openWithHotKey "the hot key did not open the panel"

printf 'file://%s\r\n' "$scratch/pasted.txt" | xclip -selection clipboard -t text/uri-list -i
xdotool key ctrl+v; waitFor 15 "Ctrl+V did not stash the copied file" listed '"pasted.txt"'

xdotool key Escape; waitFor 15 "Escape did not close the panel" panelIsClosed

quit
before=$("$holdra" list) || fail "holdra list after quitting"
[ "$(wc -l <<<"$before")" -eq 2 ] || fail "expected 2 items, found: $before"

# Trash, restore and lock from the terminal; the shelf must read it all back.
id=$(grep pasted <<<"$before" | cut -f1)
"$holdra" lock "$id" >/dev/null || fail "holdra lock"
"$holdra" clear >/dev/null || fail "holdra clear"
"$holdra" restore --all >/dev/null || fail "holdra restore"
before=$("$holdra" list --json)

start
openWithHotKey "the hot key did not open the panel after the restart"
quit
after=$("$holdra" list --json)
[ "$before" = "$after" ] || fail "the stash changed across a restart"
python3 - "$after" <<'PY' || fail "the restored, locked stash is not as expected"
import json, sys
items = json.loads(sys.argv[1])
assert len(items) == 2, items
assert [i for i in items if i.get("locked")], "the lock was lost"
PY
ls "$stash" | grep -q unreadable && fail "a metadata file was set aside"
"$holdra" check >/dev/null || fail "holdra check found faults"
echo "PASS"
