#pragma once

#include "Storage/MetadataFile.h"
#include "Storage/TrashMetadataStoring.h"

namespace holdra {

// TrashMetadataStoring over one JSON file (see MetadataCodec for the format).
class JSONTrashMetadataStore : public TrashMetadataStoring
{
public:
    explicit JSONTrashMetadataStore(QString filePath);

    const QString &filePath() const { return m_file.path(); }

    QList<TrashedItem> load() override;
    void save(const QList<TrashedItem> &items) override;
    QString setAsideUnreadableFile() override;
    QString location() const override { return m_file.path(); }

private:
    MetadataFile m_file;
};

} // namespace holdra
