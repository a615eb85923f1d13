#include "Storage/JSONMetadataStore.h"

#include "Storage/MetadataCodec.h"

namespace holdra {

JSONMetadataStore::JSONMetadataStore(QString filePath, QString snapshotPath)
    : m_file(std::move(filePath))
    , m_snapshot(std::move(snapshotPath))
{
}

QList<StashItem> JSONMetadataStore::load()
{
    m_snapshot.forget();
    std::optional<QByteArray> bytes = m_file.read();
    if (!bytes || bytes->isEmpty())
        return {};
    if (std::optional<QList<StashItem>> items = m_snapshot.recall(*bytes))
        return *items;
    QList<StashItem> items = MetadataCodec::decodeItems(*bytes);
    // Where each item lies in a file written elsewhere is unknown: the next save encodes them all.
    m_snapshot.remember(std::move(*bytes), items, {});
    return items;
}

void JSONMetadataStore::save(const QList<StashItem> &items)
{
    MetadataCodec::EncodedItems encoded =
        MetadataCodec::encodeItems(items, [&](qsizetype index) { return m_snapshot.knownText(items[index], index); });
    m_file.write(encoded.bytes);
    m_snapshot.remember(std::move(encoded.bytes), items, std::move(encoded.spans));
}

QString JSONMetadataStore::setAsideUnreadableFile()
{
    m_snapshot.forget();
    return m_file.setAside();
}

} // namespace holdra
