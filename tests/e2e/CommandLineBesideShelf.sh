#!/usr/bin/env bash
# The command line beside a running shelf: changes typed in a terminal are made
# by the shelf itself (its panel shows them, nobody waits for its lock), with
# the output and exit status of a command run alone; `holdra toggle` opens and
# closes the panel; bad arguments and a start without a display end cleanly;
# what the terminal changes while no shelf runs, the next shelf reads back.
#
# Usage: CommandLineBesideShelf.sh HOLDRA_BINARY
set -uo pipefail
holdra=$1
. "$(dirname "$0")/lib.sh"

# run EXPECTED_STATUS COMMAND…: runs holdra, keeps its output in $out and $err.
run() {
  local expected=$1; shift
  "$holdra" "$@" >"$scratch/out" 2>"$scratch/err"; local status=$?
  out=$(<"$scratch/out") err=$(<"$scratch/err")
  [ "$status" -eq "$expected" ] || fail "holdra $* exited $status, not $expected: $out $err"
}

# No display at all: one line and exit 1, never an abort.
noDisplay=$(env -u DISPLAY -u WAYLAND_DISPLAY "$holdra" 2>&1); status=$?
[ "$status" -eq 1 ] && [ "$(wc -l <<<"$noDisplay")" -eq 1 ] || fail "a start without a display: $status, $noDisplay"
run 2 --no-such-option; grep -q 'add PATH…' <<<"$err" || fail "no usage after an unknown option: $err"
run 2 no-such-command
run 1 "$scratch/does-not-exist.txt"
grep -q 'does-not-exist.txt' <<<"$err" || fail "a missing file was not named: $err"
run 1 toggle

# Debug lines of one area asked for, as the README says.
QT_LOGGING_RULES="holdra.ipc.debug=true" start
echo "a file" >"$scratch/file.txt"
run 0 add --text "from the terminal"; textId=$(cut -f1 <<<"$out")
run 0 add "$scratch/file.txt"; fileId=$(cut -f1 <<<"$out")
run 0 add --text - <<<"piped in"; grep -q "piped in" <<<"$out" || fail "standard input did not reach the shelf: $out"
run 0 lock "$textId"; [ "$out" = "已锁定" ] || fail "lock said: $out"
run 0 note "$textId" "before Friday"
run 0 rm "$fileId"; [ "$out" = "已移入回收站" ] || fail "rm said: $out"
run 1 rm "$textId"; grep -q "已锁定，先解锁再删除" <<<"$err" || fail "removing a locked item said: $err"
besideShelf="$out|$err"

# A crowd of terminals at once: the shelf serves each in turn, none is lost or refused.
crowd=()
for i in $(seq 1 12); do "$holdra" add --text "crowd $i" >/dev/null & crowd+=("$!"); done
for pid in "${crowd[@]}"; do wait "$pid" || fail "a command among many at once failed"; done

# The shelf's log lines carry time, area and level.
stamp='^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9:]{8}\.[0-9]{3} '
grep -Eq "${stamp}holdra\.app info: Holdra .* started on xcb$" "$log" || fail "no start line in the log pattern"
grep -Eq "${stamp}holdra\.ipc debug: forwarded command of [0-9]+ bytes$" "$log" \
  || fail "QT_LOGGING_RULES did not turn the debug lines on"
! grep -q "debug:" <(grep -v " holdra\.ipc debug: " "$log") || fail "debug lines of other areas"

run 0 show "$textId"
grep -q "before Friday" <<<"$out" && grep -q "locked: yes" <<<"$out" || fail "the note or lock is missing: $out"
# A file handed to the shelf is saved with what it holds in memory: nothing typed above may be lost.
"$holdra" "$scratch/file.txt" || fail "handing a file to the shelf"
waitFor 15 "the handed file did not come back" listed '"file.txt"'
[ "$(count)" -eq 15 ] || fail "the shelf's own save lost a change: $("$holdra" list)"

# The handed file opened the panel; toggling closes it, opens it and closes it again.
geometry
xdotool mousemove $(( X + WIDTH / 2 )) 400
waitFor 10 "the handed file did not open the panel" panelIsOpen
shot cli-panel
for state in Closed Open Closed; do
  run 0 toggle
  waitFor 10 "holdra toggle did not leave the panel ${state,,}" "panelIs$state"
done

quit
[ "$(count)" -eq 15 ] || fail "the stash after quitting: $("$holdra" list)"
# Alone, the same command says the same.
run 1 rm "$textId"
[ "$out|$err" = "$besideShelf" ] || fail "rm alone said “$out|$err”, beside the shelf “$besideShelf”"

# Cleared (the locked item stays) and restored while no shelf runs, but for the
# removed file handed back since: the next shelf reads it all back, and its own
# save at quit changes nothing.
run 0 clear; run 1 restore --all
before=$("$holdra" list --json)
start; run 0 toggle; waitFor 10 "holdra toggle did not open the restarted shelf" panelIsOpen
quit
[ "$before" = "$("$holdra" list --json)" ] || fail "the stash changed across a restart"
"$holdra" check >/dev/null || fail "holdra check found faults"
echo "PASS"
