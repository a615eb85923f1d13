#include "Storage/JSONMetadataStore.h"

#include "Storage/FileStorageError.h"
#include "Storage/MetadataCodec.h"

namespace holdra {

JSONMetadataStore::JSONMetadataStore(QString filePath, QString snapshotPath)
    : m_file(std::move(filePath))
    , m_snapshot(std::move(snapshotPath), m_file.path())
{
}

QList<StashItem> JSONMetadataStore::load()
{
    m_snapshot.forget();
    // A file known by its identity is not even read: a reader never needs its bytes.
    if (const std::optional<FileIdentity> file = FileIdentity::ofPath(m_file.path())) {
        if (std::optional<QList<StashItem>> items = m_snapshot.recall(*file))
            return *items;
    }
    std::optional<FileIdentity> file;
    std::optional<QByteArray> bytes = m_file.read(&file);
    if (!bytes || bytes->isEmpty())
        return {};
    if (std::optional<QList<StashItem>> items = m_snapshot.recall(*bytes, file))
        return *items;
    QList<StashItem> items = MetadataCodec::decodeItems(*bytes);
    // Where each item lies in a file written elsewhere is unknown: the next save encodes them all.
    m_snapshot.remember(std::move(*bytes), items, {}, file);
    return items;
}

void JSONMetadataStore::save(const QList<StashItem> &items)
{
    if (m_snapshot.wantsBytes()) {
        // Unreadable now, the texts are encoded afresh instead of copied.
        std::optional<FileIdentity> file;
        std::optional<QByteArray> bytes;
        try {
            bytes = m_file.read(&file);
        } catch (const FileStorageError &) {
        }
        m_snapshot.supplyBytes(bytes.value_or(QByteArray()), file);
    }
    MetadataCodec::EncodedItems encoded =
        MetadataCodec::encodeItems(items, [&](qsizetype index) { return m_snapshot.knownText(items[index], index); });
    const std::optional<FileIdentity> written = m_file.write(encoded.bytes);
    m_snapshot.remember(std::move(encoded.bytes), items, std::move(encoded.spans), written);
}

QString JSONMetadataStore::setAsideUnreadableFile()
{
    m_snapshot.forget();
    return m_file.setAside();
}

} // namespace holdra
