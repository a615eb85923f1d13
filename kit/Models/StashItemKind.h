#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace holdra {

// What sort of thing a stashed item is. The raw values are the strings written
// to the metadata files, so they never change.
enum class StashItemKind { file, image, text, link, audio };

namespace StashItemKinds {

// Every kind, in declaration order.
QList<StashItemKind> allCases();

QString rawValue(StashItemKind kind);
// Nothing for a string that names no kind.
std::optional<StashItemKind> fromRawValue(QStringView raw);

// Name of the row icon, in the system symbol vocabulary the icon table maps.
QString symbolName(StashItemKind kind);
QString localizedName(StashItemKind kind);

// Kinds whose items own a stored copy that can be hashed and deduplicated.
bool hasStoredCopy(StashItemKind kind);

} // namespace StashItemKinds
} // namespace holdra
