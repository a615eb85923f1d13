#pragma once

#include "Models/StashItem.h"
#include "Storage/MetadataCodec.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

namespace holdra {

// What the metadata file held when it was last read or written here: its bytes,
// the items decoded from them and where each item's text lies in them. A binary
// copy is kept in a file of its own, so that the next run skips the JSON parse,
// and a save copies the text of unchanged items instead of encoding them again.
// The JSON stays the file of record: the copy is used only for the very bytes
// it was made from (their SHA-256 is part of it), and a damaged, short or
// foreign copy is ignored. Losing it costs one parse.
class MetadataSnapshot
{
public:
    // An empty path keeps the snapshot in memory only.
    explicit MetadataSnapshot(QString path);

    // The snapshot of the stash in `supportDirectory`, in Holdra's private runtime
    // directory (made if missing); empty when there is none to be had.
    static QString defaultPath(const QString &supportDirectory);

    // The items of `json` when the kept copy was made from exactly these bytes;
    // they become the ones remembered.
    std::optional<QList<StashItem>> recall(const QByteArray &json);
    // Takes `json` as holding `items`, at `spans` when known (else empty), and
    // keeps a copy; failing to write the copy is not an error.
    void remember(QByteArray json, QList<StashItem> items, QList<MetadataCodec::Span> spans);
    void forget();

    // The encoded text of the item at `index` of a list being saved when it is as
    // it was in the remembered bytes, or an empty view. Asked in order from index 0.
    QByteArrayView knownText(const StashItem &item, qsizetype index);

    // The binary form, exposed for the tests of its own safety checks.
    static QByteArray encode(const QByteArray &json, const QList<StashItem> &items,
                             const QList<MetadataCodec::Span> &spans);
    struct Decoded
    {
        QList<StashItem> items;
        QList<MetadataCodec::Span> spans;
    };
    static std::optional<Decoded> decode(const QByteArray &snapshot, const QByteArray &json);

private:
    QString m_path;
    QByteArray m_json;
    QList<StashItem> m_items;
    QList<MetadataCodec::Span> m_spans;
    // Built only when the neighbourhood of the last match fails twice in a row,
    // never at loading: a reader never needs it.
    QHash<QUuid, qsizetype> m_index;
    // Where the item being saved was found, relative to its new place.
    qsizetype m_shift = 0;
    bool m_missed = false;
};

} // namespace holdra
