#pragma once

#include <QString>

namespace holdra {

class DesktopEntry;

// Hands a file or folder to the application the desktop opens its type with,
// but never to Holdra itself: a stored copy given to Holdra would be stashed
// again, and a desktop without defaults may well route folders and texts here.
namespace DefaultApplication {

// Empty when the file was handed over; else one sentence for the user.
QString openFile(const QString &path);
// Whether the entry starts Holdra, by its desktop ID or by the program it runs.
bool isHoldra(const DesktopEntry &entry);

} // namespace DefaultApplication

} // namespace holdra
