# Shared by the end-to-end scripts: a fresh XDG environment, waiting, failing
# with the shelf's log, screenshots, and (unless the script sets noXServer=1
# for a display server of its own) a private X server with openbox and helpers
# to start, find, measure and quit the real binary. Sourced after `holdra` is
# set to the binary under test. With HOLDRA_E2E_SHOTS=DIR, `shot NAME` leaves
# screenshots of the main moments there.
scratch=$(mktemp -d "${TMPDIR:-/tmp}/holdra-e2e.XXXXXX")
export XDG_DATA_HOME=$scratch/data XDG_CONFIG_HOME=$scratch/config XDG_RUNTIME_DIR=$scratch/runtime
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
stash=$XDG_DATA_HOME/Holdra log=$scratch/holdra.log
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; [ -f "$log" ] && sed 's/^/  holdra: /' "$log"; exit 1; }
# waitFor SECONDS DESCRIPTION COMMAND…: polls COMMAND every 0.1 s.
waitFor() {
  local limit=$(( $1 * 10 )) what=$2 i; shift 2
  for ((i = 0; i < limit; ++i)); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  fail "$what"
}
needs() { local tool; for tool; do command -v "$tool" >/dev/null || fail "$tool is not installed"; done; }
shot() { [ -z "${HOLDRA_E2E_SHOTS:-}" ] || import -window root "$HOLDRA_E2E_SHOTS/$1.png"; }
listed() { grep -q -- "$1" "$stash/metadata.json"; }
# A session's end (SIGTERM) quits the ordinary way, with a clean exit.
quit() {
  kill -TERM "$app"; wait "$app"; local status=$?
  [ "$status" -eq 0 ] || fail "holdra exited with $status on SIGTERM"
}
# xdotool's search dies with BadWindow when any window goes away while it walks
# the tree (a tooltip, a menu), so every lookup is retried and kept quiet.
findCapsule() {
  local found
  found=$(xdotool search --onlyvisible --pid "$app" 2>/dev/null | head -1)
  [ -n "$found" ] && xdotool getwindowgeometry "$found" >/dev/null 2>&1 || return 1
  window=$found
}
# Sets X, Y, WIDTH and HEIGHT of the capsule window; fails quietly when it cannot.
readGeometry() {
  local shell
  shell=$(xdotool getwindowgeometry --shell "$window" 2>/dev/null) || return 1
  eval "$shell"
  [ -n "${HEIGHT:-}" ]
}
[ -n "${noXServer:-}" ] && return 0

# The X server picks a free display itself.
needs Xvfb openbox xdotool xclip python3
exec 3< <(Xvfb -displayfd 1 -screen 0 1920x1080x24 -nolisten tcp -noreset 2>/dev/null & echo "pid $!")
read -r _ xvfb <&3; pids+=("$xvfb")
read -t 10 -r display <&3 || fail "Xvfb did not start"
export DISPLAY=:$display
openbox >/dev/null 2>&1 & pids+=("$!")
waitFor 10 "openbox did not take the screen" xprop -root _NET_SUPPORTING_WM_CHECK

start() {
  "$holdra" >>"$log" 2>&1 & app=$!; pids+=("$app")
  waitFor 30 "no capsule window appeared" findCapsule
}
geometry() { waitFor 5 "the capsule window $window went away" readGeometry; }
# The open panel's window has the keyboard focus.
hasKeyboard() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$window" ]; }
panelIsOpen() { readGeometry && [ "$HEIGHT" -gt 100 ]; }
panelIsClosed() { readGeometry && [ "$HEIGHT" -lt 100 ]; }
# The grab is taken a moment after the window shows; a press before it is lost.
# The open panel then takes the keyboard.
openWithHotKey() {
  for attempt in 1 2 3 4 5 6; do
    xdotool key ctrl+alt+space
    for ((i = 0; i < 30; ++i)); do
      panelIsOpen && { waitFor 5 "the open panel did not take the keyboard" hasKeyboard; return 0; }
      sleep 0.1
    done
  done
  fail "$1"
}
