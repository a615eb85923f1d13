#pragma once

#include "Storage/StashMetadataStoring.h"
#include "Storage/MetadataFile.h"

namespace holdra {

// StashMetadataStoring over one JSON file (see MetadataCodec for the format).
class JSONMetadataStore : public StashMetadataStoring
{
public:
    explicit JSONMetadataStore(QString filePath);

    const QString &filePath() const { return m_file.path(); }

    QList<StashItem> load() override;
    void save(const QList<StashItem> &items) override;
    QString setAsideUnreadableFile() override;
    QString location() const override { return m_file.path(); }

private:
    MetadataFile m_file;
};

} // namespace holdra
