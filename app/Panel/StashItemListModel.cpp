#include "Panel/StashItemListModel.h"

#include "Models/StashItemKind.h"
#include "Panel/StashItemPresentation.h"
#include "Store/StashStore.h"

#include <QUrl>

#include <algorithm>
#include <utility>
#include <vector>

namespace holdra {

StashItemListModel::StashItemListModel(QObject *parent)
    : KeyedListModel(parent)
{
}

StashItemListModel::StashItemListModel(StashStore *store, PanelSelection *selection, QObject *parent)
    : KeyedListModel(parent)
{
    setSelection(selection);
    setStore(store);
}

void StashItemListModel::setStore(StashStore *store)
{
    if (follow(m_store, store, &StashStore::itemsChanged))
        Q_EMIT storeChanged();
}

void StashItemListModel::setSelection(PanelSelection *selection)
{
    if (m_selection == selection)
        return;
    if (m_selection)
        disconnect(m_selection, nullptr, this, nullptr);
    m_selection = selection;
    if (m_selection) {
        connect(m_selection, &PanelSelection::changed, this, &StashItemListModel::showSelectionChange);
        connect(m_selection, &PanelSelection::currentChanged, this, &StashItemListModel::showCurrentChange);
    }
    showCurrentChange();
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0), index(rowCount() - 1), {SelectedRole, AccessibleNameRole});
    Q_EMIT selectionChanged();
}

void StashItemListModel::setPlayer(AudioPlaybackController *player)
{
    if (m_player == player)
        return;
    if (m_player)
        disconnect(m_player, nullptr, this, nullptr);
    m_player = player;
    if (m_player) {
        connect(m_player, &AudioPlaybackController::activeItemIDChanged, this, &StashItemListModel::showPlaybackChange);
        connect(m_player, &AudioPlaybackController::isPlayingChanged, this, &StashItemListModel::showPlaybackChange);
    }
    showPlaybackChange();
    Q_EMIT playerChanged();
}

void StashItemListModel::showPlaybackChange()
{
    // Only the row that stops showing the player and the one that starts are redrawn.
    const QUuid active = m_player ? m_player->activeItemID() : QUuid();
    const QUuid previous = std::exchange(m_shownPlaybackID, active);
    const QList<int> roles{AudioActiveRole, PlayingRole};
    if (!previous.isNull() && previous != active)
        emitRowChanged(previous, roles);
    if (!active.isNull())
        emitRowChanged(active, roles);
}

void StashItemListModel::showCurrentChange()
{
    const QUuid current = m_selection ? m_selection->current().value_or(QUuid()) : QUuid();
    const QUuid previous = std::exchange(m_shownCurrentID, current);
    if (previous == current)
        return;
    if (!previous.isNull())
        emitRowChanged(previous, {CurrentRole});
    if (!current.isNull())
        emitRowChanged(current, {CurrentRole});
}

void StashItemListModel::emitRowChanged(const QUuid &id, const QList<int> &roles)
{
    if (const int row = rowOf(id); row >= 0)
        Q_EMIT dataChanged(index(row), index(row), roles);
}

void StashItemListModel::showSelectionChange(const QList<QUuid> &added, const QList<QUuid> &removed)
{
    const qsizetype changes = added.size() + removed.size();
    if (rowCount() == 0 || changes == 0)
        return;
    // Select-all and large ranges: one signal; a view redraws only the rows it shows.
    if (changes >= rowCount() / 2) {
        Q_EMIT dataChanged(index(0), index(rowCount() - 1), {SelectedRole, AccessibleNameRole});
        return;
    }
    std::vector<int> changed;
    changed.reserve(changes);
    for (const QList<QUuid> *ids : {&added, &removed}) {
        for (const QUuid &id : *ids) {
            if (const int row = rowOf(id); row >= 0)
                changed.push_back(row);
        }
    }
    std::sort(changed.begin(), changed.end());
    // Runs of neighbouring rows go in one signal.
    for (size_t i = 0; i < changed.size();) {
        size_t end = i + 1;
        while (end < changed.size() && changed[end] <= changed[end - 1] + 1)
            ++end;
        Q_EMIT dataChanged(index(changed[i]), index(changed[end - 1]), {SelectedRole, AccessibleNameRole});
        i = end;
    }
}

void StashItemListModel::synchronize()
{
    const int previousCount = count();
    const int previousLocked = m_lockedCount;

    QList<StashItemRowData> target;
    int locked = 0;
    if (m_store) {
        const QList<StashItem> &items = m_store->items();
        target.reserve(items.size());
        int next = 0;
        for (const StashItem &item : items) {
            // An unchanged item keeps its row and what it found on disk.
            const StashItemRowData *existing = rowWithKey(item.id(), next);
            target.append(existing && existing->item == item ? *existing : StashItemRowData{item, {}, {}});
            locked += item.locked() ? 1 : 0;
        }
    }
    replaceRows(target);
    m_lockedCount = locked;

    if (count() != previousCount)
        Q_EMIT countChanged();
    if (m_lockedCount != previousLocked)
        Q_EMIT lockedCountChanged();
}

const StoredCopyLook &StashItemListModel::copyOf(const StashItemRowData &row) const
{
    if (!row.copy)
        row.copy = m_store ? StoredCopyLook::of(*m_store, row.item, m_fileIcons) : StoredCopyLook();
    return *row.copy;
}

const QString &StashItemListModel::subtitleOf(const StashItemRowData &row) const
{
    if (!row.subtitle)
        row.subtitle = StashItemPresentation::subtitle(row.item, copyOf(row).isDirectory);
    return *row.subtitle;
}

QVariant StashItemListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const StashItemRowData &row = rows()[index.row()];
    const StashItem &item = row.item;
    switch (role) {
    case ItemIdRole:
        return StashItemPresentation::idText(item.id());
    case KindRole:
        return StashItemKinds::rawValue(item.kind());
    case Qt::DisplayRole:
    case DisplayNameRole:
        return item.displayName();
    case NoteRole:
        return item.note().value_or(QString());
    case NotePreviewRole:
        return item.notePreview().value_or(QString());
    case KindWordRole:
        return StashItemPresentation::kindWord(item.kind(), copyOf(row).isDirectory);
    case SubtitleRole:
        return subtitleOf(row);
    case LockedRole:
        return item.locked();
    case IsDirectoryRole:
        return copyOf(row).isDirectory;
    case HasStoredFileRole:
        return copyOf(row).absolutePath.has_value();
    case FileUrlRole:
        return copyOf(row).absolutePath ? QUrl::fromLocalFile(*copyOf(row).absolutePath) : QUrl();
    case FileIconNameRole:
        return copyOf(row).fileIconName;
    case SymbolNameRole:
        return StashItemKinds::symbolName(item.kind());
    case TextRole:
        return item.text().value_or(QString());
    case UrlStringRole:
        return item.urlString().value_or(QString());
    case DurationSecondsRole:
        return item.durationSeconds().value_or(0.0);
    case SelectedRole:
        return m_selection && m_selection->contains(item.id());
    case AudioActiveRole:
        return m_player && m_player->isActive(item.id());
    case PlayingRole:
        return m_player && m_player->isActive(item.id()) && m_player->isPlaying();
    case CurrentRole:
        return m_selection && m_selection->current() == item.id();
    case AccessibleNameRole:
        return StashItemPresentation::accessibleName(item, copyOf(row).isDirectory,
                                                     m_selection && m_selection->contains(item.id()));
    default:
        return {};
    }
}

QHash<int, QByteArray> StashItemListModel::roleNames() const
{
    return {
        {ItemIdRole, "itemId"},           {KindRole, "kind"},
        {DisplayNameRole, "displayName"}, {NoteRole, "note"},
        {NotePreviewRole, "notePreview"}, {KindWordRole, "kindWord"},
        {SubtitleRole, "subtitle"},       {LockedRole, "locked"},
        {IsDirectoryRole, "isDirectory"}, {HasStoredFileRole, "hasStoredFile"},
        {FileUrlRole, "fileUrl"},         {FileIconNameRole, "fileIconName"},
        {SymbolNameRole, "symbolName"},   {TextRole, "text"},
        {UrlStringRole, "urlString"},     {DurationSecondsRole, "durationSeconds"},
        {SelectedRole, "selected"},       {AudioActiveRole, "audioActive"},
        {PlayingRole, "playing"},         {AccessibleNameRole, "accessibleName"},
        {CurrentRole, "current"},
    };
}

int StashItemListModel::indexOfId(const QString &itemId) const
{
    const QUuid id = StashItemPresentation::idFromText(itemId);
    return id.isNull() ? -1 : rowOf(id);
}

bool StashItemListModel::allLocked(const QStringList &itemIds) const
{
    bool any = false;
    for (const QString &itemId : itemIds) {
        const StashItemRowData *row = rowWithKey(StashItemPresentation::idFromText(itemId));
        if (!row)
            continue;
        if (!row->item.locked())
            return false;
        any = true;
    }
    return any;
}

bool StashItemListModel::setNote(const QString &itemId, const QString &note)
{
    const QUuid id = StashItemPresentation::idFromText(itemId);
    if (!m_store || id.isNull())
        return false;
    return m_store->setNote(note, id);
}

} // namespace holdra
