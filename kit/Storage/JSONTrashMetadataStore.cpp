#include "Storage/JSONTrashMetadataStore.h"

#include "Storage/MetadataCodec.h"

namespace holdra {

JSONTrashMetadataStore::JSONTrashMetadataStore(QString filePath)
    : m_file(std::move(filePath))
{
}

QList<TrashedItem> JSONTrashMetadataStore::load()
{
    const std::optional<QByteArray> bytes = m_file.read();
    if (!bytes || bytes->isEmpty())
        return {};
    return MetadataCodec::decodeTrash(*bytes);
}

void JSONTrashMetadataStore::save(const QList<TrashedItem> &items)
{
    m_file.write(MetadataCodec::encodeTrash(items));
}

QString JSONTrashMetadataStore::setAsideUnreadableFile()
{
    return m_file.setAside();
}

} // namespace holdra
