#pragma once

#include <QString>

namespace holdra {

// Starting Holdra at login, through the XDG autostart entry
// "$XDG_CONFIG_HOME/autostart/com.tessavel.Holdra.desktop". The entry starts the
// very program that wrote it, by absolute path, so a build run from its tree
// or a second installation starts itself and not whatever "holdra" is on the
// PATH. The entry counts as enabled when it exists and does not say
// Hidden=true (the desktop's own way of switching an entry off). An entry
// written by older versions ("holdra.desktop") counts too, and is replaced.
namespace LoginItem {

QString autostartEntryPath();
// The Exec= value that starts `program`, quoted and escaped as desktop entries
// want it.
QString execValue(const QString &program);

bool isEnabled();

// Writes or removes the entry; nothing happens when it already is as asked.
// A failure is logged with "[Holdra] 登录项设置失败：" and otherwise ignored.
void setEnabled(bool enabled);

} // namespace LoginItem
} // namespace holdra
