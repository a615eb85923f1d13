#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace holdra {

// A date and time as the desktop shows it in lists: the abbreviated date (month name, no
// weekday) and the short time, without seconds — "2025年1月3日 14:25", "Jan 3, 2025 2:25 PM".
QString abbreviatedDateTime(const QDateTime &dateTime, const QLocale &locale = QLocale::system());

} // namespace holdra
