#include "Panel/TrashItemListModel.h"

#include "Models/StashItemKind.h"
#include "Panel/StashItemPresentation.h"
#include "Store/StashStore.h"
#include "Support/DateText.h"

#include <QLocale>
#include <QUrl>

namespace holdra {

TrashItemListModel::TrashItemListModel(QObject *parent)
    : KeyedListModel(parent)
{
}

TrashItemListModel::TrashItemListModel(StashStore *store, QObject *parent)
    : KeyedListModel(parent)
{
    setStore(store);
}

void TrashItemListModel::setStore(StashStore *store)
{
    if (follow(m_store, store, &StashStore::trashItemsChanged))
        Q_EMIT storeChanged();
}

void TrashItemListModel::synchronize()
{
    const int previousCount = count();
    QList<TrashItemRowData> target;
    if (m_store) {
        const QList<TrashedItem> &entries = m_store->trashItems();
        target.reserve(entries.size());
        int next = 0;
        for (const TrashedItem &entry : entries) {
            const TrashItemRowData *existing = rowWithKey(entry.id(), next);
            target.append(existing && existing->entry == entry ? *existing : TrashItemRowData{entry, {}});
        }
    }
    replaceRows(target);
    if (count() != previousCount)
        Q_EMIT countChanged();
}

const StoredCopyLook &TrashItemListModel::copyOf(const TrashItemRowData &row) const
{
    if (!row.copy)
        row.copy = m_store ? StoredCopyLook::of(*m_store, row.entry.item, m_fileIcons) : StoredCopyLook();
    return *row.copy;
}

QVariant TrashItemListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const TrashItemRowData &row = rows()[index.row()];
    const StashItem &item = row.entry.item;
    switch (role) {
    case ItemIdRole:
        return StashItemPresentation::idText(item.id());
    case KindRole:
        return StashItemKinds::rawValue(item.kind());
    case Qt::DisplayRole:
    case DisplayNameRole:
        return item.displayName();
    case KindWordRole:
        // The trash names the kind only; it does not look whether a copy is a folder.
        return StashItemKinds::localizedName(item.kind());
    case SubtitleRole:
        return StashItemPresentation::trashSubtitle(item, row.entry.trashedAt);
    case TrashedAtTextRole:
        return abbreviatedDateTime(row.entry.trashedAt);
    case AccessibleNameRole:
        return QString(StashItemKinds::localizedName(item.kind()) + QStringLiteral("，") + item.displayName()
                       + QStringLiteral("，清除于 ") + QLocale().toString(row.entry.trashedAt.toLocalTime()));
    case HasStoredFileRole:
        return copyOf(row).absolutePath.has_value();
    case FileUrlRole:
        return copyOf(row).absolutePath ? QUrl::fromLocalFile(*copyOf(row).absolutePath) : QUrl();
    case FileIconNameRole:
        return copyOf(row).fileIconName;
    case SymbolNameRole:
        return StashItemKinds::symbolName(item.kind());
    default:
        return {};
    }
}

QHash<int, QByteArray> TrashItemListModel::roleNames() const
{
    return {
        {ItemIdRole, "itemId"},
        {KindRole, "kind"},
        {DisplayNameRole, "displayName"},
        {KindWordRole, "kindWord"},
        {SubtitleRole, "subtitle"},
        {TrashedAtTextRole, "trashedAtText"},
        {AccessibleNameRole, "accessibleName"},
        {HasStoredFileRole, "hasStoredFile"},
        {FileUrlRole, "fileUrl"},
        {FileIconNameRole, "fileIconName"},
        {SymbolNameRole, "symbolName"},
    };
}

} // namespace holdra
