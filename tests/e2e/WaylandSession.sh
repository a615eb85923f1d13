#!/usr/bin/env bash
# Holdra on a Wayland desktop: a headless sway, first with XWayland (the
# capsule at the top centre of the output, `holdra toggle` opening the panel, a
# clean quit), then without it (native Wayland: it starts, says in one line
# what works, and quits cleanly), also when DISPLAY names a dead X server.
# sway will not run as root, so root hands the run to an unprivileged user.
set -u
holdra=$(readlink -f "$1")
e2eUser=holdra-e2e

if [ "$(id -u)" = 0 ]; then
  id "$e2eUser" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$e2eUser" \
    || { echo "FAIL: cannot create the user $e2eUser"; exit 1; }
  asUser() { setpriv --reuid="$e2eUser" --regid="$e2eUser" --init-groups \
    env -i PATH="$PATH" HOME=/tmp LANG=C.UTF-8 HOLDRA_E2E_SHOTS="${HOLDRA_E2E_SHOTS:-}" "$@"; }
  # A clone under root's home may be out of the user's reach: the scripts, and
  # when need be the programs beside the binary (what it may start), are copied
  # where it can run them.
  copy=$(mktemp -d /tmp/holdra-wayland-bin.XXXXXX) && chmod 755 "$copy" || exit 1
  cp "$(readlink -f "$0")" "$(dirname "$(readlink -f "$0")")/lib.sh" "$copy/" || exit 1
  if ! asUser test -x "$holdra"; then
    find "$(dirname "$holdra")" -maxdepth 1 -type f -perm -u+x -exec cp {} "$copy/" \;
    holdra=$copy/$(basename "$holdra")
  fi
  asUser bash "$copy/$(basename "$0")" "$holdra"; status=$?
  rm -rf "$copy"
  exit "$status"
fi

noXServer=1
. "$(dirname "$0")/lib.sh"
needs sway swaymsg Xwayland grim xdotool python3
besideLog=$scratch/sway.log

# A fresh home for each compositor run; sway and Holdra share it.
freshSession() {
  local name=$1 xwayland=$2
  session=$scratch/$name
  export XDG_RUNTIME_DIR=$session/runtime XDG_DATA_HOME=$session/data XDG_CONFIG_HOME=$session/config
  mkdir -p "$XDG_RUNTIME_DIR" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME/sway" && chmod 700 "$XDG_RUNTIME_DIR"
  cat >"$XDG_CONFIG_HOME/sway/config" <<EOF
xwayland $xwayland
output HEADLESS-1 resolution 1920x1080 position 0 0
exec printenv WAYLAND_DISPLAY > $session/wayland-display
exec printenv DISPLAY > $session/x-display
EOF
  sessionBus
  # sway takes an inherited SWAYSOCK for its own socket's path.
  unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM SWAYSOCK
  WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 sway -c "$XDG_CONFIG_HOME/sway/config" \
    >"$scratch/sway.log" 2>&1 & sway=$!; pids+=("$sway")
  waitFor 20 "sway did not start" test -s "$session/wayland-display"
  export WAYLAND_DISPLAY=$(cat "$session/wayland-display")
  waitFor 10 "sway answers no IPC" swayAnswers
}
swayAnswers() {
  SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock 2>/dev/null | head -1)
  export SWAYSOCK
  [ -n "$SWAYSOCK" ] && swaymsg -t get_outputs
}
stopSession() { swaymsg exit >/dev/null 2>&1; wait "$sway" 2>/dev/null; }

# Prints "x y width height floating" of the window of process $app and the
# output's "x y width height", from sway's own tree.
readRects() {
  swaymsg -r -t get_tree | python3 -c '
import json, sys
pid = int(sys.argv[1]); tree = json.load(sys.stdin)
def walk(node, output, floating):
    if node.get("type") == "output": output = node["rect"]
    if node.get("pid") == pid and node.get("visible"):
        r = node["rect"]
        print(r["x"], r["y"], r["width"], r["height"], int(floating), output["x"], output["y"], output["width"], output["height"])
        sys.exit(0)
    for child in node.get("nodes", []): walk(child, output, floating)
    for child in node.get("floating_nodes", []): walk(child, output, True)
walk(tree, None, False)
sys.exit(1)' "$app" >"$scratch/rects" || return 1
  read -r X Y W H FLOATING OX OY OW OH <"$scratch/rects"
}
# Lines other than the shelf's ordinary information log (its start line).
noticeLines() { grep -v -E '^[0-9-]{10} [0-9:.]{12} holdra\.[a-z]+ info: ' "$log" | grep -c .; }
startHoldra() { : >"$log"; start "$1"; } # each run's notices counted apart
panelIsOpen() { readRects && [ "$H" -gt 100 ]; }

# With XWayland. The capsule is an unmanaged X11 window, which sway keeps out
# of its tree and shows at the window's own X11 position; so the position is
# read on the X side and the picture checked in sway's own screenshot.
readXGeometry() {
  findCapsule && readGeometry || return 1
  W=$WIDTH H=$HEIGHT
  read -r OX OY OW OH < <(swaymsg -r -t get_outputs | python3 -c '
import json, sys; r = json.load(sys.stdin)[0]["rect"]; print(r["x"], r["y"], r["width"], r["height"])')
}
xAtTopCentre() { readXGeometry && [ "$Y" -eq "$OY" ] && (( (X - OX) * 2 + W - OW <= 2 && (X - OX) * 2 + W - OW >= -2 )); }
xPanelIsOpen() { readXGeometry && [ "$H" -gt 100 ]; }
# The colour sway shows at a point of the output.
pixel() { grim -g "$1,$2 1x1" -t ppm - | tail -c 3 | od -An -tx1 | tr -d ' \n'; }
shows() { [ "$(pixel "$1" "$2")" != "$(pixel 5 "$2")" ]; }

freshSession xwayland enable
export DISPLAY=$(cat "$session/x-display")
[ -n "$DISPLAY" ] || fail "sway started no XWayland"
startHoldra readXGeometry
waitFor 10 "the capsule is not at the top centre of the output: ${X}x${Y} ${W}x${H}" xAtTopCentre
[ "$H" -lt 100 ] || fail "the capsule starts open: ${W}x${H}"
waitFor 10 "sway does not show the capsule at the top centre" shows $(( OX + OW / 2 )) $(( OY + H / 2 ))
swaymsg -r -t get_tree | grep -q "\"pid\": $app," && fail "sway manages (tiles or centres) the capsule"
"$holdra" toggle || fail "holdra toggle failed"
waitFor 10 "holdra toggle did not open the panel: ${W}x${H}" xPanelIsOpen
xAtTopCentre || fail "the open panel is not at the top centre: ${X}x${Y} ${W}x${H}"
waitFor 10 "sway does not show the open panel" shows $(( OX + OW / 2 )) $(( OY + 200 ))
[ -z "${HOLDRA_E2E_SHOTS:-}" ] || grim "$HOLDRA_E2E_SHOTS/xwayland-open.png"
[ "$(noticeLines)" -eq 1 ] || fail "more than the one notice line under XWayland"
grep -q "XWayland" "$log" || fail "no notice of what works under XWayland"
quit
stopSession

# Without XWayland, natively: the one notice line and nothing else, counted
# once `holdra toggle` has made a round trip through the running shelf.
startNative() {
  startHoldra readRects
  [ "$FLOATING" = 1 ] || fail "$1: sway tiled the capsule: $(cat "$scratch/rects")"
  "$holdra" toggle || fail "$1: holdra toggle failed"
  waitFor 10 "$1: holdra toggle did not open the panel: $(cat "$scratch/rects")" panelIsOpen
  waitFor 10 "$1: sway does not show the open panel" shows $(( X + W / 2 )) $(( Y + H / 2 ))
  [ "$(noticeLines)" -eq 1 ] || fail "$1: expected one notice line, got $(noticeLines)"
  grep -q "Wayland" "$log" || fail "$1: the notice does not speak of Wayland"
  quit
}
freshSession native disable
startNative "native Wayland"
# DISPLAY names an X server that is not there: Wayland rather than failing.
dead=$(( 600 + RANDOM % 300 ))
while [ -e "/tmp/.X11-unix/X$dead" ] || [ -e "/tmp/.X$dead-lock" ]; do dead=$(( dead + 1 )); done
export DISPLAY=:$dead
startNative "dead DISPLAY"
stopSession
echo "PASS"
