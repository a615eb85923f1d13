#pragma once

#include "Models/StashItem.h"
#include "Storage/FileIdentity.h"
#include "Storage/MetadataCodec.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

namespace holdra {

// What the metadata file held when it was last read or written here: the items
// decoded from it, its bytes and where each item's text lies in them. A binary
// copy is kept in a file of its own, so that the next run skips the JSON parse,
// and a save copies the text of unchanged items instead of encoding them again.
// The JSON stays the file of record: the copy is used only for the very file it
// was made from, known by its identity (see FileIdentity) when that was settled,
// else by the SHA-256 of its bytes; a damaged, short or foreign copy is ignored.
// Losing it costs one parse.
class MetadataSnapshot
{
public:
    // An empty `path` keeps the snapshot in memory only; `jsonPath` is the file it describes.
    MetadataSnapshot(QString path, QString jsonPath);

    // The snapshot of the stash in `supportDirectory`, in Holdra's private runtime
    // directory (made if missing); empty when there is none to be had.
    static QString defaultPath(const QString &supportDirectory);

    // The items of the file when the kept copy was made from it as it is now:
    // by its identity, so that nothing of it is read, or by its bytes, read
    // when the file was at the settled identity `file`, if given.
    std::optional<QList<StashItem>> recall(const FileIdentity &file);
    std::optional<QList<StashItem>> recall(const QByteArray &json, const std::optional<FileIdentity> &file);
    // After a recall by identity the file's bytes are needed for a save only:
    // they are handed over then, with the identity they were read at.
    bool wantsBytes() const { return m_wantsBytes; }
    void supplyBytes(QByteArray json, const std::optional<FileIdentity> &file);

    // Takes `json` as holding `items`, at `spans` when known (else empty), and
    // keeps a copy; `file` is the settled identity of the file the bytes were
    // read from or written to, when there is one. Failing to write the copy is
    // not an error.
    void remember(QByteArray json, QList<StashItem> items, QList<MetadataCodec::Span> spans,
                  const std::optional<FileIdentity> &file);
    void forget();

    // The encoded text of the item at `index` of a list being saved when it is as
    // it was in the remembered bytes, or an empty view. Asked in order from index 0.
    QByteArrayView knownText(const StashItem &item, qsizetype index);

    // Whether the copy at `path` would be taken for the file at `jsonPath`, for
    // the tests of its own safety checks.
    static bool describes(const QString &path, const QString &jsonPath);

private:
    std::optional<QList<StashItem>> take(const QByteArray &json, const FileIdentity *file);
    // Where `item`, saved at `index`, was in the remembered list, when unchanged.
    std::optional<qsizetype> unchangedIndex(const StashItem &item, qsizetype index);

    QString m_path;
    QString m_jsonPath;
    QByteArray m_json;
    std::optional<FileIdentity> m_identity;
    bool m_wantsBytes = false;
    QList<StashItem> m_items;
    QList<MetadataCodec::Span> m_spans;
    // The snapshot's own bytes and where each item's record lies in them, so
    // that the next one copies the records of unchanged items; and, for each
    // item of the list being saved, the index of its unchanged record or -1.
    QByteArray m_kept;
    QList<qsizetype> m_records;
    QList<qsizetype> m_sources;
    // Built only when the neighbourhood of the last match fails twice in a row,
    // never at loading: a reader never needs it.
    QHash<QUuid, qsizetype> m_index;
    // Where the item being saved was found, relative to its new place.
    qsizetype m_shift = 0;
    bool m_missed = false;
};

} // namespace holdra
