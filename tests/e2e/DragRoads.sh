#!/usr/bin/env bash
# The shelf's own roads with real pointer events on a private X server: the
# closed window at the top centre and clicks at its edges; files dragged in from
# a real file manager (pcmanfm); a file, a folder, a link and a text dragged in
# from another program that proposes a move; rows dragged out to a program that
# records what it received and onto the file manager; the open panel cut to its
# rounded shape. (What each kind carries is the unit suites' to check.)
#
# Usage: DragRoads.sh HOLDRA_BINARY DRAG_PEER
set -uo pipefail
holdra=$1 dragPeer=$2
. "$(dirname "$0")/lib.sh"
needs pcmanfm import convert
# KEY VALUE: an item has that value (the metadata escapes "/", so no grep).
stashed() { python3 -c 'import json,sys; sys.exit(not any(i.get(sys.argv[2]) == sys.argv[3] for i in json.load(open(sys.argv[1]))))' \
  "$stash/metadata.json" "$1" "$2"; }

# A few small steps from the pointer's place to X Y, as a hand would move.
glide() {
  local x y i; eval "$(xdotool getmouselocation --shell)"; x=$X y=$Y
  for i in 1 2 3 4 5 6 7 8; do
    xdotool mousemove $(( x + ($1 - x) * i / 8 )) $(( y + ($2 - y) * i / 8 ))
    sleep 0.02
  done
}
# Keeps the pointer moving by a pixel until COMMAND… holds: drag protocols
# answer motion, so a waiting drag must see some.
nudgeUntil() {
  local limit=$(( $1 * 10 )) what=$2 i; shift 2
  for ((i = 0; i < limit; ++i)); do
    "$@" >/dev/null 2>&1 && return 0
    xdotool mousemove_relative -- $(( i % 2 ? -1 : 1 )) 0; sleep 0.1
  done
  fail "$what"
}
# The colour of one screen pixel as RRGGBB.
pixel() { import -window root -crop "1x1+$1+$2" -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}' | head -1 | tr -d '#'; }

# A drag over the open panel lights its outline in the accent colour: the shelf
# has answered the drag's motion, so a release now is a drop.
outlined() {
  readGeometry && [ "$HEIGHT" -gt 100 ] || return 1
  case $(pixel "$X" $(( Y + HEIGHT / 2 ))) in 007AFF|0A84FF) return 0;; *) return 1;; esac
}

# Sources: a folder for the file manager and a set offered by the drag program.
fm=$scratch/desk; mkdir -p "$fm/album" "$scratch/offered/2 folder"
echo "a report" >"$fm/report.txt"; echo "inside" >"$fm/album/inside.txt"; echo "voice" >"$fm/memo.m4a"
echo "one" >"$scratch/offered/1 notes.txt"; echo "two" >"$scratch/offered/2 folder/inside.txt"
convert -size 40x30 xc:'rgb(200,30,30)' "$fm/photo.png" || fail "convert could not draw the picture"

start
geometry
cx=$X cy=$Y cw=$WIDTH ch=$HEIGHT
[ "$cw" -eq 190 ] && [ "$ch" -eq 34 ] && [ "$cy" -eq 0 ] && [ $(( cx + cw / 2 )) -eq 960 ] \
  || fail "the closed window is ${cw}×${ch} at $cx,$cy, not 190×34 at the top centre"

# --- the whole closed window is the trigger, up to its corner pixels
for corner in "$cx $cy" "$(( cx + cw - 1 )) $(( cy + ch - 1 ))"; do
  xdotool mousemove $corner click 1
  waitFor 10 "a click at $corner of the closed window did not open the panel" panelIsOpen
  waitFor 5 "the panel opened by a click did not take the keyboard" hasKeyboard
  xdotool key Escape; waitFor 10 "Escape did not close the panel" panelIsClosed
done

# --- files dragged in from the file manager: everything selected, dropped on the open panel
pcmanfm "$fm" >>"$scratch/tools.log" 2>&1 & pids+=("$!")
fmWindow() { fmwin=$(xdotool search --onlyvisible --class pcmanfm 2>/dev/null | tail -1); [ -n "$fmwin" ]; }
waitFor 20 "pcmanfm did not show its window" fmWindow
xdotool windowmove "$fmwin" 1240 560
fmOrigin() {
  local info; info=$(xwininfo -id "$fmwin" 2>/dev/null) || return 1
  fx=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info"); fy=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
  [ "${fx:-0}" -gt 1200 ]
}
waitFor 10 "pcmanfm did not move" fmOrigin
# Icons sit in a grid from the view's top left: album, memo.m4a, photo.png, report.txt.
iconX=$(( fx + 207 )) iconY=$(( fy + 100 ))
xdotool mousemove $iconX $iconY click 1 key ctrl+a sleep 0.2 mousedown 1
glide $(( iconX + 20 )) $(( iconY + 20 ))
glide $(( cx + cw / 2 )) $(( cy + ch / 2 ))
nudgeUntil 10 "a drag from pcmanfm entering the capsule did not open the panel" panelIsOpen
geometry; glide $(( X + WIDTH / 2 )) $(( Y + HEIGHT / 2 ))
nudgeUntil 10 "the panel did not show the drag from pcmanfm" outlined
xdotool mouseup 1
for name in album memo.m4a photo.png report.txt; do waitFor 15 "$name from pcmanfm was not stashed" listed "\"$name\""; done
waitFor 10 "the panel opened by the drag did not close after the import" panelIsClosed
[ -f "$fm/report.txt" ] || fail "the file manager's file was moved, not copied"

# --- another program offers a file and a folder, proposing a move; dropped at
# the very corner of the closed window
srcPid=""
offer() { # RESULT X Y FORMAT VALUE…: a new drag source; the previous one has served its drop
  [ -z "$srcPid" ] || kill "$srcPid" 2>/dev/null
  rm -f "$1" "$1.started"
  "$dragPeer" "$@" 2>>"$scratch/tools.log" & srcPid=$!; pids+=("$srcPid")
  waitFor 10 "the drag source did not show" xdotool search --onlyvisible --name holdra-drag-source
}
dragFromSource() { # RESULT X Y: press in the source, glide to X Y
  xdotool mousemove 180 460 mousedown 1; waitFor 10 "the drag did not start" test -e "$1.started"
  glide "$2" "$3"
}
list="$(python3 -c 'import pathlib,sys; print("\r\n".join(pathlib.Path(f).as_uri() for f in sys.argv[1:]))' \
  "$scratch/offered/"{"1 notes.txt","2 folder"})"$'\r\n'
offer "$scratch/source1" 100 400 text/uri-list "$list"
dragFromSource "$scratch/source1" $(( cx + cw - 1 )) $(( cy + 1 ))
nudgeUntil 10 "a drag entering the closed window's corner did not open the panel" panelIsOpen
nudgeUntil 10 "the panel did not show the offered files' drag" outlined
xdotool mouseup 1; waitFor 10 "the source heard nothing back" test -e "$scratch/source1"
[ "$(cat "$scratch/source1")" = CopyAction ] || fail "the shelf answered '$(cat "$scratch/source1")' to a proposed move, not copy"
waitFor 15 "the offered files were not stashed" listed '"2 folder"'
waitFor 10 "the panel did not close after the drop" panelIsClosed
[ -f "$scratch/offered/1 notes.txt" ] || fail "a proposed move took the source's file away"

# A browser's link, then an editor's text selection, dropped on the open panel.
dropOnPanel() { # WHAT KEY VALUE FORMAT VALUE…: offers the formats, drops them, finds KEY = VALUE stashed
  local what=$1 key=$2 value=$3; shift 3
  offer "$scratch/source" 100 400 "$@"
  dragFromSource "$scratch/source" $(( cx + cw / 2 )) $(( cy + ch / 2 ))
  nudgeUntil 10 "a dragged $what did not open the panel" panelIsOpen
  geometry; glide $(( X + WIDTH / 2 )) $(( Y + 200 ))
  nudgeUntil 10 "the panel did not show the dragged $what" outlined
  xdotool mouseup 1; waitFor 15 "the dragged $what was not stashed" stashed "$key" "$value"
  waitFor 10 "the panel did not close after the $what" panelIsClosed
}
dropOnPanel link urlString https://example.com/page text/x-moz-url https://example.com/page \
  text/uri-list $'https://example.com/page\r\n' text/plain https://example.com/page
dropOnPanel text text "dragged words" text/plain "dragged words"
[ "$(count)" -eq 8 ] || fail "expected 8 items after the drops, found: $("$holdra" list)"

# --- the open panel is cut to its shape: its rounded corner shows and passes
# clicks to the window below
xdotool mousemove $(( cx + cw / 2 )) $(( cy + ch / 2 )) click 1
waitFor 10 "a click on the capsule did not open the panel" panelIsOpen; geometry
px=$X py=$Y pw=$WIDTH ph=$HEIGHT
"$dragPeer" "$scratch/drop" $(( px - 200 )) $(( py + ph - 100 )) 2>>"$scratch/tools.log" & pids+=("$!")
waitFor 10 "the drop target did not show" xdotool search --onlyvisible --name holdra-drop-target
panelIsOpen || fail "another program's new window closed the panel"
shot panel-open
[ "$(pixel $(( px + 1 )) $(( py + ph - 2 )))" = 455A64 ] \
  || fail "the panel's bottom-left corner is drawn over the window below (pixel $(pixel $(( px + 1 )) $(( py + ph - 2 ))))"
[ "$(pixel $(( px + 40 )) $(( py + ph - 2 )))" != 455A64 ] || fail "the panel's bottom edge is not drawn"

# --- rows out: rows start below the header, one every 53 pixels
rowY() { echo $(( py + 74 + 53 * $1 )); }
rowX=$(( px + pw / 2 ))
dropOut() { # ROW: drags that row onto the drop target and waits for its report
  rm -f "$scratch/drop" "$scratch/drop.hover"
  xdotool mousemove $rowX "$(rowY "$1")" mousedown 1
  glide $(( rowX - 30 )) "$(rowY "$1")"
  glide $(( px - 100 )) $(( py + ph + 40 ))
  nudgeUntil 10 "dragging row $1 did not reach the drop target" test -e "$scratch/drop.hover"
  xdotool mouseup 1; waitFor 10 "the drop target recorded nothing for row $1" test -e "$scratch/drop"
}
received() { # FORMAT: what the last drop carried in that format
  python3 -c 'import base64,json,sys; print(base64.b64decode(json.load(open(sys.argv[1]))["formats"].get(sys.argv[2], "")).decode("utf-8", "replace"))' \
    "$scratch/drop" "$1" 2>/dev/null
}
offered() { python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["possible"])' "$scratch/drop"; }
storedUri() { python3 -c 'import json,pathlib,sys; print(pathlib.Path(sys.argv[2], "Files", next(i["relativePath"] for i in json.load(open(sys.argv[2] + "/metadata.json")) if i["displayName"] == sys.argv[1]).removeprefix("Files/")).as_uri())' "$1" "$stash"; }

# Row 0 is the text, 1 the link, 2 and 3 the offered file and folder.
dropOut 0
[ "$(offered)" = CopyAction ] || fail "a row drag offers '$(offered)', not only copy"
[ "$(received text/plain)" = "dragged words" ] || fail "the text row carried '$(received text/plain)' as text"
textFile=$(python3 -c 'import sys,urllib.parse; print(urllib.parse.unquote(sys.argv[1].strip()).removeprefix("file://"))' \
  "$(received text/uri-list)")
[[ "$textFile" == "$XDG_RUNTIME_DIR/Holdra/HoldraDrag/"*"/dragged words.txt" ]] || fail "the text row's file is $textFile"
[ "$(cat "$textFile")" = "dragged words" ] || fail "the text row's file does not hold the text"
dropOut 2
[ "$(received text/uri-list | tr -d '\r')" = "$(storedUri "1 notes.txt")" ] || fail "the file row carried '$(received text/uri-list)'"
[[ "$(received x-special/gnome-copied-files)" == copy$'\n'file://* ]] || fail "the file row has no gnome-copied-files"

# Two rows selected with Ctrl and dragged together onto the file manager: copied there.
xdotool mousemove $rowX "$(rowY 2)" click 1 mousemove $rowX "$(rowY 3)" keydown ctrl click 1 keyup ctrl
# pcmanfm shows nothing while a drag hovers, and it refuses a drop released
# before it has answered the drag's motion; a refused drop is simply tried again.
dragRowsToFileManager() {
  xdotool mousemove $rowX "$(rowY 3)" mousedown 1
  glide $(( rowX - 30 )) "$(rowY 3)"
  glide $(( fx + 450 )) $(( fy + 330 ))
  for i in 1 2 3 4; do xdotool mousemove_relative 1 1; sleep 0.15; done
  xdotool mouseup 1
}
tryUntil 3 5 dragRowsToFileManager test -e "$fm/1 notes.txt" || fail "the two rows dropped on pcmanfm were not copied there"
waitFor 15 "the folder row dropped on pcmanfm was not copied there" test -e "$fm/2 folder/inside.txt"
shot dropped-on-file-manager

panelIsOpen || fail "the panel closed when rows were dropped on the file manager"

# --- the cut corner passes a click to the window below
xdotool mousemove $(( px + 1 )) $(( py + ph - 2 )) click 1
waitFor 5 "a click in the panel's cut corner did not reach the window below" test -e "$scratch/drop.pressed"
waitFor 5 "a click in the panel's cut corner did not close the panel as an outside click" panelIsClosed

quit
[ ! -e "$XDG_RUNTIME_DIR/Holdra/HoldraDrag" ] || fail "the dragged texts' files outlived the shelf"
echo "PASS"
