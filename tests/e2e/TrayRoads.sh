#!/usr/bin/env bash
# The tray icon of the real holdra binary when a StatusNotifierItem tray host
# starts after it (the usual order at login) and when the host restarts: the
# item registers each time, reads right, its left click toggles the panel once,
# and its menu has the tray's rows and runs them.
#
# Usage: TrayRoads.sh HOLDRA_BINARY TRAY_HOST_TOOL
set -uo pipefail
holdra=$1
host=$2
. "$(dirname "$0")/lib.sh"
needs dbus-daemon
sessionBus

startHost() { "$host" watch >"$scratch/host$1.log" 2>&1 & hostPid=$!; pids+=("$hostPid"); }
registeredWith() { grep -qx "registered $item" "$scratch/host$1.log"; }
itemServed() { "$host" property "$item" Id | grep -qx com.tessavel.Holdra; }

start
item=org.kde.StatusNotifierItem-$app-1
waitFor 10 "the tray item is not on the session bus" itemServed

startHost 1
waitFor 10 "the item did not register with a host started after it" registeredWith 1
[ "$("$host" property "$item" IconName)" = holdra-symbolic ] || fail "the item's icon name is not holdra-symbolic"
"$host" menu "$item" >"$scratch/menu.txt" || fail "the host could not read the menu"
for row in 打开暂存面板 "0 个项目 · " 检查更新… 设置… 退出栖物匣; do
  grep -q -- "$row" "$scratch/menu.txt" || fail "the tray menu lacks \"$row\": $(tr '\n' '|' <"$scratch/menu.txt")"
done

geometry
for state in Open Closed; do
  "$host" activate "$item" || fail "the item refused Activate"
  waitFor 10 "a left click on the item did not leave the panel ${state,,}" "panelIs$state"
  shot "tray-${state,,}"
done

# The host restarts: the item comes back to it.
kill "$hostPid"; wait "$hostPid" 2>/dev/null
startHost 2
waitFor 10 "the item did not register again with the restarted host" registeredWith 2

"$host" click "$item" 设置… || fail "the host could not click the settings row"
settingsShown() { xdotool search --onlyvisible --name 栖物匣设置 >/dev/null 2>&1; }
waitFor 10 "the settings row of the host's menu opened no settings window" settingsShown
shot tray-settings
"$host" click "$item" 退出栖物匣 || fail "the host could not click the quit row"
ended() { ! kill -0 "$app"; }
waitFor 10 "the quit row of the host's menu did not end Holdra" ended
wait "$app"; status=$?
[ "$status" -eq 0 ] || fail "holdra exited with $status after the quit row"
echo "PASS"
