#pragma once

#include <QString>

namespace holdra {

// Starting Holdra at login, through the XDG autostart entry
// "$XDG_CONFIG_HOME/autostart/holdra.desktop". The entry counts as enabled when
// it exists and does not say Hidden=true (the desktop's own way of switching an
// entry off).
namespace LoginItem {

QString autostartEntryPath();

bool isEnabled();

// Writes or removes the entry; nothing happens when it already is as asked.
// A failure is logged with "[Holdra] 登录项设置失败：" and otherwise ignored.
void setEnabled(bool enabled);

} // namespace LoginItem
} // namespace holdra
