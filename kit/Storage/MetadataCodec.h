#pragma once

#include "Models/StashItem.h"
#include "Models/TrashedItem.h"

#include <QByteArray>
#include <QList>

#include <functional>
#include <optional>
#include <string_view>

namespace holdra::MetadataCodec {

// The metadata file format: a JSON array, pretty-printed with two-space
// indentation, keys sorted, every solidus escaped, absent fields omitted, dates
// as RFC 3339 UTC whole seconds and ids as upper-case UUIDs.
QByteArray encodeItems(const QList<StashItem> &items);

// Where one item's object lies in an encoded array.
struct Span
{
    qsizetype offset = 0;
    qsizetype length = 0;
    friend bool operator==(const Span &, const Span &) = default;
};
struct EncodedItems
{
    QByteArray bytes;
    // One per item, in order.
    QList<Span> spans;
};
// The text already encoded for the item at an index, or an empty view to encode it.
using KnownText = std::function<QByteArrayView(qsizetype index)>;
// The same bytes as encodeItems(), copying each item's known text instead of
// encoding it again: a save of one change to a large list costs a copy.
EncodedItems encodeItems(const QList<StashItem> &items, const KnownText &known);
QByteArray encodeTrash(const QList<TrashedItem> &entries);

// All or nothing: any fault throws FileStorageError::corruptMetadata.
QList<StashItem> decodeItems(const QByteArray &bytes);
QList<TrashedItem> decodeTrash(const QByteArray &bytes);

// "2026-03-01T08:15:30Z": UTC, fractions of a second dropped.
QString formatDate(const QDateTime &date);
// An RFC 3339 date-time without fractional seconds, "Z" or a numeric offset.
std::optional<QDateTime> parseDate(std::string_view text);

} // namespace holdra::MetadataCodec
