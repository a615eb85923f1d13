#!/usr/bin/env bash
# Drives the real holdra binary on a private X server the way a user would:
# stash from the command line, start the shelf, open it with the hot key, paste
# a copied file, type into the quick entry, hand a file to the running instance,
# close, quit, start again and find everything as it was.
#
# Usage: EndToEnd.sh HOLDRA_BINARY
set -uo pipefail
holdra=$1
for tool in Xvfb openbox xdotool xclip python3; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done

scratch=$(mktemp -d "${TMPDIR:-/tmp}/holdra-e2e.XXXXXX")
export XDG_DATA_HOME=$scratch/data XDG_CONFIG_HOME=$scratch/config XDG_RUNTIME_DIR=$scratch/runtime
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
stash=$XDG_DATA_HOME/Holdra
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; [ -f "$scratch/holdra.log" ] && sed 's/^/  holdra: /' "$scratch/holdra.log"; exit 1; }
# waitFor SECONDS DESCRIPTION COMMAND…: polls COMMAND every 0.1 s.
waitFor() {
  local limit=$(( $1 * 10 )) what=$2 i; shift 2
  for ((i = 0; i < limit; ++i)); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  fail "$what"
}
listed() { grep -q -- "$1" "$stash/metadata.json"; }

# The X server picks a free display itself.
exec 3< <(Xvfb -displayfd 1 -screen 0 1920x1080x24 -nolisten tcp -noreset 2>/dev/null & echo "pid $!")
read -r _ xvfb <&3; pids+=("$xvfb")
read -t 10 -r display <&3 || fail "Xvfb did not start"
export DISPLAY=:$display
openbox >/dev/null 2>&1 & pids+=("$!")
waitFor 10 "openbox did not take the screen" xprop -root _NET_SUPPORTING_WM_CHECK

echo "a report" >"$scratch/report.txt"
echo "second start" >"$scratch/second.txt"
echo "pasted" >"$scratch/pasted.txt"
"$holdra" add "$scratch/report.txt" >/dev/null || fail "holdra add"

# xdotool's search dies with BadWindow when any window goes away while it walks
# the tree (a tooltip, a menu), so every lookup is retried and kept quiet.
findCapsule() {
  local found
  found=$(xdotool search --onlyvisible --pid "$app" 2>/dev/null | head -1)
  [ -n "$found" ] && xdotool getwindowgeometry "$found" >/dev/null 2>&1 || return 1
  window=$found
}
start() {
  "$holdra" >>"$scratch/holdra.log" 2>&1 & app=$!; pids+=("$app")
  waitFor 30 "no capsule window appeared" findCapsule
}
# Sets X, Y, WIDTH and HEIGHT of the capsule window; fails quietly when it cannot.
readGeometry() {
  local shell
  shell=$(xdotool getwindowgeometry --shell "$window" 2>/dev/null) || return 1
  eval "$shell"
  [ -n "${HEIGHT:-}" ]
}
# A session's end (SIGTERM) quits the ordinary way, with a clean exit.
quit() {
  kill -TERM "$app"; wait "$app"; local status=$?
  [ "$status" -eq 0 ] || fail "holdra exited with $status on SIGTERM"
}
geometry() { waitFor 5 "the capsule window $window went away" readGeometry; }
panelIsOpen() { readGeometry && [ "$HEIGHT" -gt 100 ]; }
panelIsClosed() { readGeometry && [ "$HEIGHT" -lt 100 ]; }
# The grab is taken a moment after the window shows; a press before it is lost.
openWithHotKey() {
  for attempt in 1 2 3 4 5 6; do
    xdotool key ctrl+alt+space
    for ((i = 0; i < 30; ++i)); do panelIsOpen && return 0; sleep 0.1; done
  done
  fail "$1"
}

start
geometry
[ "$Y" -eq 0 ] && [ $(( X + WIDTH / 2 )) -eq 960 ] || fail "the capsule is at $X,$Y ($WIDTH×$HEIGHT), not at the top centre"

openWithHotKey "the hot key did not open the panel"

printf 'file://%s\r\n' "$scratch/pasted.txt" | xclip -selection clipboard -t text/uri-list -i
xdotool key ctrl+v
waitFor 15 "Ctrl+V did not stash the copied file" listed '"pasted.txt"'

geometry
xdotool mousemove $(( X + WIDTH / 2 )) $(( Y + HEIGHT - 12 )) click 1
sleep 0.3
xdotool type --delay 15 "typed in the field"
xdotool key Return
waitFor 15 "the quick entry did not stash the typed text" listed '"typed in the field"'

"$holdra" "$scratch/second.txt" || fail "a second start did not reach the running one"
waitFor 15 "the running instance did not stash the file handed to it" listed '"second.txt"'

xdotool key Escape
waitFor 15 "Escape did not close the panel" panelIsClosed

quit
before=$("$holdra" list) || fail "holdra list after quitting"
[ "$(wc -l <<<"$before")" -eq 4 ] || fail "expected 4 items, found: $before"

# Trash, restore and lock from the terminal; the shelf must read it all back.
id=$(grep typed <<<"$before" | cut -f1)
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
assert len(items) == 4, items
assert [i for i in items if i.get("locked")], "the lock was lost"
PY
ls "$stash" | grep -q unreadable && fail "a metadata file was set aside"
"$holdra" check >/dev/null || fail "holdra check found faults"
echo "PASS"
