#pragma once

#include "Models/StashItem.h"
#include "Models/TrashedItem.h"

#include <QString>
#include <QStringList>

namespace holdra::cli {

// How items look in a terminal: one line per item, tab-separated (id, kind,
// display name, size), with tabs, line breaks and other control characters in
// names written as escapes so that every item stays on one line.
namespace ItemFormatter {

QString idText(const QUuid &id);
QString line(const StashItem &item);
// The line of a trash entry, followed by the time it was trashed.
QString line(const TrashedItem &entry);
// Every field of an item, one "name: value" line each.
QStringList details(const StashItem &item);
// Control characters as C-style escapes.
QString escaped(const QString &text);

} // namespace ItemFormatter
} // namespace holdra::cli
