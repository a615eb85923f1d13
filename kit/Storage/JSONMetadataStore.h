#pragma once

#include "Storage/MetadataFile.h"
#include "Storage/MetadataSnapshot.h"
#include "Storage/StashMetadataStoring.h"

namespace holdra {

// StashMetadataStoring over one JSON file (see MetadataCodec for the format),
// with a snapshot of what it holds (see MetadataSnapshot) kept at
// `snapshotPath`, or in memory only when that is empty.
class JSONMetadataStore : public StashMetadataStoring
{
public:
    explicit JSONMetadataStore(QString filePath, QString snapshotPath = QString());

    const QString &filePath() const { return m_file.path(); }

    QList<StashItem> load() override;
    void save(const QList<StashItem> &items) override;
    QString setAsideUnreadableFile() override;
    QString location() const override { return m_file.path(); }

private:
    MetadataFile m_file;
    MetadataSnapshot m_snapshot;
};

} // namespace holdra
