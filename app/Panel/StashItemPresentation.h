#pragma once

#include "Models/StashItem.h"
#include "Models/StashItemKind.h"

#include <QDateTime>
#include <QString>
#include <QUuid>

#include <optional>

namespace holdra::StashItemPresentation {

// Ids cross into the views as upper-case UUID text without braces.
QString idText(const QUuid &id);
QUuid idFromText(const QString &text);

// "文件夹" for a folder stored as a file item, otherwise the kind's own word.
QString kindWord(StashItemKind kind, bool isDirectory);

// The host of a link that parses as a URL with a host.
std::optional<QString> linkHost(const std::optional<QString> &urlString);

// Kind word, duration, pixel or byte size (or a link's host) and creation date,
// joined with " · ".
QString subtitle(const StashItem &item, bool isDirectory);

// What a screen reader says of a row: kind word, name, note, then whether it
// is selected and locked, joined with "，".
QString accessibleName(const StashItem &item, bool isDirectory, bool selected);

// The trash row's line: the kind word, " · 清除于 " and the trash date.
QString trashSubtitle(const StashItem &item, const QDateTime &trashedAt);

// True for a file item whose stored copy exists and is a folder.
bool isStoredDirectory(const StashItem &item, const std::optional<QString> &absolutePath);

} // namespace holdra::StashItemPresentation
