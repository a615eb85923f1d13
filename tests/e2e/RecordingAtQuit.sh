#!/usr/bin/env bash
# A voice note in progress when the session ends (SIGTERM) is finished and
# stashed, and its scratch file lives, and is cleaned, in the private runtime
# directory next to the single-instance socket.
#
# Usage: RecordingAtQuit.sh HOLDRA_BINARY
set -uo pipefail
holdra=$1
. "$(dirname "$0")/lib.sh"
needs pulseaudio

# A private sound server whose microphone is a silent source.
pulse=$scratch/pulse
mkdir -p "$pulse"
HOME=$pulse XDG_RUNTIME_DIR=$pulse pulseaudio -n --daemonize=no --exit-idle-time=-1 --disable-shm=yes \
  -L module-null-sink -L "module-null-source source_name=holdra_microphone" \
  -L "module-native-protocol-unix socket=$pulse/native auth-anonymous=1" >/dev/null 2>&1 & pids+=("$!")
waitFor 10 "pulseaudio did not start" test -S "$pulse/native"
export PULSE_SERVER=unix:$pulse/native

start
private=$XDG_RUNTIME_DIR/Holdra
[ "$(stat -c %a "$private")" = 700 ] || fail "$private is not private"
ls "$private"/instance-* >/dev/null 2>&1 || fail "no instance socket in $private"

# The microphone is the left segment of the capsule, left of its centre.
geometry
recording() { ls "$private"/HoldraRecording/recording-*.m4a; }
tryUntil 3 3 "xdotool mousemove $(( X + WIDTH / 2 - 20 )) 12 click 1" recording \
  || fail "clicking the microphone did not start a recording"
started=$(date +%s)
[ "$(stat -c %a "$private/HoldraRecording")" = 700 ] || fail "the recording directory is not private"
# Shorter notes than half a second are dropped on purpose: let this one run for two.
oldEnough() { [ $(( $(date +%s) - started )) -ge 2 ]; }
waitFor 10 "the recording did not last two seconds" oldEnough

quit
items=$("$holdra" list) || fail "holdra list after the session ended"
grep -q $'\taudio\t' <<<"$items" || fail "the recording in progress was lost: $items"
[ -z "$(ls -A "$private/HoldraRecording")" ] || fail "the scratch file was left behind"
echo "PASS"
