#pragma once

#include "Models/TrashedItem.h"
#include "Panel/FileIconNames.h"
#include "Panel/KeyedListModel.h"
#include "Panel/StoredCopyLook.h"
#include "Store/StashStore.h"

#include <QPointer>
#include <QtQml/qqmlregistration.h>

#include <optional>

namespace holdra {

// The stored copy is looked at when a view first asks for the row.
struct TrashItemRowData
{
    TrashedItem entry;
    mutable std::optional<StoredCopyLook> copy;

    QUuid key() const { return entry.id(); }
    friend bool operator==(const TrashItemRowData &a, const TrashItemRowData &b) { return a.entry == b.entry; }
};

// One row per trash entry, newest first, following the store's trash row by row.
class TrashItemListModel : public KeyedListModel<TrashItemRowData>
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(holdra::StashStore *store READ store WRITE setStore NOTIFY storeChanged)
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role {
        ItemIdRole = Qt::UserRole + 1,
        KindRole,
        DisplayNameRole,
        KindWordRole,
        SubtitleRole,
        TrashedAtTextRole,
        AccessibleNameRole,
        HasStoredFileRole,
        FileUrlRole,
        FileIconNameRole,
        SymbolNameRole,
    };
    Q_ENUM(Role)

    explicit TrashItemListModel(QObject *parent = nullptr);
    explicit TrashItemListModel(StashStore *store, QObject *parent = nullptr);

    StashStore *store() const { return m_store; }
    void setStore(StashStore *store);
    int count() const { return rowCount(); }

    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

Q_SIGNALS:
    void storeChanged();
    void countChanged();

private:
    void synchronize() override;
    const StoredCopyLook &copyOf(const TrashItemRowData &row) const;

    QPointer<StashStore> m_store;
    mutable FileIconNames m_fileIcons;
};

} // namespace holdra
