#!/usr/bin/env bash
# The keyboard roads of the real holdra binary on a private X server: keys typed
# into the quick entry and the note editor edit the text even with a row
# selected, Escape closes one layer at a time, the list is walked with the
# arrows and what Return, Ctrl+C and Delete do lands on the walked-to row, the
# search narrows what Ctrl+A reaches, a character typed on the list starts a
# quick entry, and Ctrl+V on the open panel stashes a copied file.
#
# Usage: KeyRoads.sh HOLDRA_BINARY
set -uo pipefail
holdra=$1
. "$(dirname "$0")/lib.sh"

noted() { grep -q -- "\"note\": \"$1\"" "$stash/metadata.json"; }
clipboardIs() { [ "$(xclip -selection clipboard -o 2>/dev/null)" = "$1" ]; }

for text in "row three" "row two" "row one"; do "$holdra" add --text "$text" >/dev/null || fail "holdra add $text"; done
start
openWithHotKey "the hot key did not open the panel"
geometry

# The keyboard's row: Down selects the top row, "row one".
xdotool key Down
# Quick entry with that row selected: the keys edit the text.
xdotool mousemove $(( X + WIDTH / 2 )) $(( Y + HEIGHT - 12 )) click 1
xdotool type --delay 15 "draftx"
xdotool key BackSpace Left Delete ctrl+a ctrl+x
printf 'pasted' | xclip -selection clipboard -i
waitFor 5 "the clipboard did not take the text" clipboardIs pasted
xdotool key ctrl+v End Return; waitFor 15 "the quick entry did not stash the pasted text" listed '"pasted"'
[ "$(count)" -eq 4 ] || fail "keys in the quick entry changed the stash: $("$holdra" list)"
waitFor 15 "Return in the quick entry did not close the panel" panelIsClosed

# Walk the list: "pasted" is at the top now, so Down ×3 lands on "row two";
# Ctrl+C copies it.
openWithHotKey "the hot key did not open the panel again"
xdotool key Down Down Down ctrl+c; waitFor 5 "Ctrl+C did not copy the walked-to row" clipboardIs "row two"
# Shift+Up extends the range to two rows; Ctrl+C copies both.
xdotool key shift+Up ctrl+c
waitFor 5 "Shift+Up did not extend the selection" clipboardIs "$(printf 'row one\nrow two')"
shot keys-walked
# Escape clears the selection and keeps the panel; End then Delete trashes the bottom row.
xdotool key Escape; panelIsOpen || fail "the first Escape closed the panel instead of clearing the selection"
xdotool key End Delete
waitFor 15 "Delete did not trash the last row" grep -q '"row three"' "$stash/trash.json"
[ "$(count)" -eq 3 ] || fail "Delete removed more than the walked-to row: $("$holdra" list)"

# Ctrl+F filters the list as typed, in any case; Down walks into what it shows,
# and Ctrl+A and Ctrl+C reach only those rows. Escape clears the search, a
# second one the selection, and the panel stays.
xdotool key ctrl+f
xdotool type --delay 15 "ROW"
xdotool key Down ctrl+a ctrl+c
waitFor 5 "Ctrl+A in a search did not take just the rows shown" clipboardIs "$(printf 'row one\nrow two')"
xdotool key Escape Escape; panelIsOpen || fail "Escape in a search closed the panel"

# A character typed on the list starts the quick entry; Escape clears it, a
# second Escape closes the panel, and nothing was stashed.
xdotool type --delay 15 "zq"
xdotool key Escape; panelIsOpen || fail "Escape in a filled quick entry closed the panel"
xdotool key Escape; waitFor 15 "the second Escape did not close the panel" panelIsClosed
[ "$(count)" -eq 3 ] || fail "the characters typed on the list were stashed: $("$holdra" list)"

# The note editor from a row's menu, with that row selected: Backspace, Ctrl+A,
# Ctrl+V edit the note; Escape closes the sheet only.
openWithHotKey "the hot key did not open the panel a third time"
geometry
rowY=$(( Y + 80 ))
xdotool mousemove $(( X + WIDTH / 2 )) $rowY click 1
# The menu opens at the pointer on the release, before the next event is
# read; its third entry, "添加备注", is 78 pixels further down.
openNoteFromMenu() {
  xdotool mousemove $(( X + WIDTH / 2 )) $rowY click 3
  xdotool mousemove $(( X + WIDTH / 2 + 30 )) $(( rowY + 78 )) click 1
}
openNoteFromMenu
xdotool type --delay 15 "milkk"
xdotool key BackSpace ctrl+a ctrl+c; waitFor 5 "Ctrl+C in the note did not copy its text" clipboardIs milk
xdotool key End ctrl+v
shot keys-note-editor
xdotool key Escape; panelIsOpen || fail "Escape in the note editor closed the panel"
[ "$(count)" -eq 3 ] || fail "keys in the note editor changed the stash: $("$holdra" list)"
noted milkmilk && fail "Escape saved the note"
# Again, and Return saves it.
openNoteFromMenu
xdotool type --delay 15 "kept"
xdotool key Return; waitFor 15 "Return in the note editor did not save the note" noted kept
panelIsOpen || fail "saving the note closed the panel"
xdotool key Escape Escape; waitFor 15 "Escape did not close the panel after the note" panelIsClosed

# Return opens the keyboard's row: a text shows in its preview window, which
# Escape closes; Space opens it again and Ctrl+W closes it. The window is
# named after the row, "pasted".
preview() { xdotool search --onlyvisible --name "^pasted$" 2>/dev/null | head -1; }
previewGone() { [ -z "$(preview)" ]; }
# Looked up again at each try: a search dies with BadWindow when another window
# goes away while it walks the tree.
previewHasKeyboard() { local shown; shown=$(preview); [ -n "$shown" ] && [ "$(xdotool getactivewindow 2>/dev/null)" = "$shown" ]; }
for keys in "Return Escape" "space ctrl+w"; do
  openWithHotKey "the hot key did not open the panel for the preview"
  xdotool key Down "${keys% *}"
  waitFor 15 "${keys% *} on a text row did not show its preview with the keyboard" previewHasKeyboard
  shot "keys-preview-${keys% *}"
  xdotool key "${keys#* }"; waitFor 15 "${keys#* } did not close the preview" previewGone
done

# A copied file pasted on the open panel is stashed.
echo "copied" >"$scratch/copied.txt"
printf 'file://%s\r\n' "$scratch/copied.txt" | xclip -selection clipboard -t text/uri-list -i
openWithHotKey "the hot key did not open the panel for the paste"
xdotool key ctrl+v; waitFor 15 "Ctrl+V did not stash the copied file" listed '"copied.txt"'

quit
"$holdra" check >/dev/null || fail "holdra check found faults"
echo "PASS"
