#pragma once

#include "Storage/DiskFileStorage.h"
#include "Storage/ImageMetadata.h"
#include "Storage/JSONMetadataStore.h"
#include "Storage/JSONTrashMetadataStore.h"
#include "Store/StashStore.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <type_traits>

namespace holdra::test {

// A real JSON store that can be told that setting a file aside fails.
template<typename Interface, typename Json, typename Element>
class AsideFailingStore : public Interface
{
public:
    AsideFailingStore(const QString &path, const bool &setAsideFails)
        : m_json(path)
        , m_setAsideFails(setAsideFails)
    {
    }
    QList<Element> load() override { return m_json.load(); }
    void save(const QList<Element> &items) override { m_json.save(items); }
    QString setAsideUnreadableFile() override
    {
        if (m_setAsideFails)
            throw FileStorageError::systemError(QStringLiteral("read-only"));
        return m_json.setAsideUnreadableFile();
    }
    QString location() const override { return m_json.location(); }

private:
    Json m_json;
    const bool &m_setAsideFails;
};

// A support directory in a temporary folder, a store over it with a settable clock.
class StoreFixture : public ::testing::Test
{
protected:
    QString support() const { return m_dir.filePath(QStringLiteral("Holdra")); }
    QString root() const { return support() + QStringLiteral("/Files"); }
    QString metadataPath() const { return support() + QStringLiteral("/metadata.json"); }
    QString trashPath() const { return support() + QStringLiteral("/trash.json"); }

    StashStore &openStore()
    {
        m_store = std::make_unique<StashStore>(
            std::make_unique<AsideFailingStore<StashMetadataStoring, JSONMetadataStore, StashItem>>(metadataPath(),
                                                                                                    m_setAsideFails),
            std::make_unique<AsideFailingStore<TrashMetadataStoring, JSONTrashMetadataStore, TrashedItem>>(
                trashPath(), m_setAsideFails),
            std::make_unique<DiskFileStorage>(root()), 30, [this] { return m_now; });
        m_store->setPixelSizeReader(&ImageMetadata::pixelSize);
        m_store->load();
        return *m_store;
    }

    void writeItems(const QList<StashItem> &items) const { JSONMetadataStore(metadataPath()).save(items); }
    void writeTrash(const QList<TrashedItem> &entries) const { JSONTrashMetadataStore(trashPath()).save(entries); }
    QList<StashItem> savedItems() const { return JSONMetadataStore(metadataPath()).load(); }
    QList<TrashedItem> savedTrash() const { return JSONTrashMetadataStore(trashPath()).load(); }

    // A file item whose copy already lies in storage.
    StashItem storedItem(const QString &name, const QByteArray &bytes, bool locked = false) const
    {
        StashItem item =
            StashItem::makeFile(DiskFileStorage(root()).importData(bytes, name, QString()), m_now.addDays(-1));
        item.setLocked(locked);
        return item;
    }
    QUrl source(const QString &name, const QByteArray &bytes) const
    {
        return QUrl::fromLocalFile(m_dir.write(QStringLiteral("sources/") + name, bytes));
    }
    int itemDirectoryCount() const { return int(QDir(root()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size()); }

    TempDir m_dir;
    QDateTime m_now = QDateTime(QDate(2026, 3, 1), QTime(8, 0), Qt::UTC);
    bool m_setAsideFails = false;
    std::unique_ptr<StashStore> m_store;
};

template<typename Entries>
QStringList displayNames(const Entries &entries)
{
    QStringList names;
    for (const auto &entry : entries) {
        if constexpr (std::is_same_v<std::decay_t<decltype(entry)>, TrashedItem>)
            names.append(entry.item.displayName());
        else
            names.append(entry.displayName());
    }
    return names;
}

} // namespace holdra::test
