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

# A script may name one more log ($besideLog) whose end is shown on failure.
fail() {
  echo "FAIL: $*"; [ -f "$log" ] && sed 's/^/  holdra: /' "$log"
  [ -f "${besideLog:-}" ] && tail -20 "$besideLog" | sed 's/^/  beside: /'; exit 1
}
# polls SECONDS COMMAND…: whether COMMAND held within SECONDS, polled every 0.1 s.
polls() {
  local limit=$(( $1 * 10 )) i; shift
  for ((i = 0; i < limit; ++i)); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}
waitFor() { local seconds=$1 what=$2; shift 2; polls "$seconds" "$@" || fail "$what"; }
# tryUntil TRIES SECONDS ACTION CHECK…: ACTION (a command line), then CHECK for up
# to SECONDS, at most TRIES times; for a first press or drop that may be lost.
tryUntil() {
  local tries=$1 seconds=$2 action=$3 attempt; shift 3
  for ((attempt = 0; attempt < tries; ++attempt)); do $action; polls "$seconds" "$@" && return 0; done
  return 1
}
needs() { local tool; for tool; do command -v "$tool" >/dev/null || fail "$tool is not installed"; done; }
# A session bus of the run's own, as a desktop session has (the tray and the portal look there).
sessionBus() {
  local pid; export DBUS_SESSION_BUS_ADDRESS=unix:path=$XDG_RUNTIME_DIR/bus
  pid=$(dbus-daemon --session --fork --nopidfile --address="$DBUS_SESSION_BUS_ADDRESS" --print-pid) || fail "no session bus"
  pids+=("$pid")
}
shot() { [ -z "${HOLDRA_E2E_SHOTS:-}" ] || import -window root "$HOLDRA_E2E_SHOTS/$1.png"; }
listed() { grep -q -- "$1" "$stash/metadata.json"; }
# How many items the stash holds, read from its metadata file.
count() { python3 -c 'import json,sys; print(len(json.load(open(sys.argv[1]))))' "$stash/metadata.json" 2>/dev/null || echo 0; }
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
# start [CHECK…]: starts the shelf and waits until CHECK (by default finding the capsule) holds.
start() {
  "$holdra" >>"$log" 2>&1 & app=$!; pids+=("$app")
  waitFor 30 "no Holdra window appeared" "${@:-findCapsule}"
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

geometry() { waitFor 5 "the capsule window $window went away" readGeometry; }
# The open panel's window has the keyboard focus.
hasKeyboard() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$window" ]; }
panelIsOpen() { readGeometry && [ "$HEIGHT" -gt 100 ]; }
panelIsClosed() { readGeometry && [ "$HEIGHT" -lt 100 ]; }
# The grab is taken a moment after the window shows; a press before it is lost.
# The open panel then takes the keyboard.
openWithHotKey() {
  tryUntil 6 3 "xdotool key ctrl+alt+space" panelIsOpen || fail "$1"
  waitFor 5 "the open panel did not take the keyboard" hasKeyboard
}
