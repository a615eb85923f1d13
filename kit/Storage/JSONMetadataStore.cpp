#include "Storage/JSONMetadataStore.h"

#include "Storage/MetadataCodec.h"

namespace holdra {

JSONMetadataStore::JSONMetadataStore(QString filePath)
    : m_file(std::move(filePath))
{
}

QList<StashItem> JSONMetadataStore::load()
{
    const std::optional<QByteArray> bytes = m_file.read();
    if (!bytes || bytes->isEmpty())
        return {};
    return MetadataCodec::decodeItems(*bytes);
}

void JSONMetadataStore::save(const QList<StashItem> &items)
{
    m_file.write(MetadataCodec::encodeItems(items));
}

QString JSONMetadataStore::setAsideUnreadableFile()
{
    return m_file.setAside();
}

} // namespace holdra
