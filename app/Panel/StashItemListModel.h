#pragma once

#include "Audio/AudioPlaybackController.h"
#include "Models/StashItem.h"
#include "Panel/FileIconNames.h"
#include "Panel/KeyedListModel.h"
#include "Panel/PanelSelection.h"
#include "Panel/StoredCopyLook.h"
#include "Store/StashStore.h"

#include <QPointer>
#include <QtQml/qqmlregistration.h>

#include <optional>

namespace holdra {

// One row per active stashed item, in the store's order. What the row shows of
// the stored copy, and its subtitle, are worked out when a view first asks, so
// a long list costs only the rows on screen.
struct StashItemRowData
{
    StashItem item;
    mutable std::optional<StoredCopyLook> copy;
    mutable std::optional<QString> subtitle;

    QUuid key() const { return item.id(); }
    // The looks follow from the item, so the item alone says whether a row changed.
    friend bool operator==(const StashItemRowData &a, const StashItemRowData &b) { return a.item == b.item; }
};

class StashItemListModel : public KeyedListModel<StashItemRowData>
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(holdra::StashStore *store READ store WRITE setStore NOTIFY storeChanged)
    // Feeds the `selected` role; only rows whose state changes are redrawn.
    Q_PROPERTY(holdra::PanelSelection *selection READ selection WRITE setSelection NOTIFY selectionChanged)
    // Feeds the `audioActive` and `playing` roles, again row by row.
    Q_PROPERTY(holdra::AudioPlaybackController *player READ player WRITE setPlayer NOTIFY playerChanged)
    Q_PROPERTY(int count READ count NOTIFY countChanged)
    Q_PROPERTY(int lockedCount READ lockedCount NOTIFY lockedCountChanged)

public:
    enum Role {
        ItemIdRole = Qt::UserRole + 1,
        KindRole,
        DisplayNameRole,
        NoteRole,
        NotePreviewRole,
        KindWordRole,
        SubtitleRole,
        LockedRole,
        IsDirectoryRole,
        HasStoredFileRole,
        FileUrlRole,
        FileIconNameRole,
        SymbolNameRole,
        TextRole,
        UrlStringRole,
        DurationSecondsRole,
        SelectedRole,
        // The recording is loaded in the player, playing or paused.
        AudioActiveRole,
        PlayingRole,
        // What a screen reader says of the row, its selection included.
        AccessibleNameRole,
        // The row the keyboard is on.
        CurrentRole,
    };
    Q_ENUM(Role)

    explicit StashItemListModel(QObject *parent = nullptr);
    StashItemListModel(StashStore *store, PanelSelection *selection, QObject *parent = nullptr);

    StashStore *store() const { return m_store; }
    void setStore(StashStore *store);
    PanelSelection *selection() const { return m_selection; }
    void setSelection(PanelSelection *selection);
    AudioPlaybackController *player() const { return m_player; }
    void setPlayer(AudioPlaybackController *player);

    int count() const { return rowCount(); }
    int lockedCount() const { return m_lockedCount; }

    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // The row of an item id (upper-case text), or -1.
    Q_INVOKABLE int indexOfId(const QString &itemId) const;
    // Every listed item among `itemIds` is locked (false when none is listed).
    Q_INVOKABLE bool allLocked(const QStringList &itemIds) const;
    // The note editor's save: an empty text removes the note. False when the
    // item is no longer in the stash.
    Q_INVOKABLE bool setNote(const QString &itemId, const QString &note);

Q_SIGNALS:
    void storeChanged();
    void selectionChanged();
    void playerChanged();
    void countChanged();
    void lockedCountChanged();

private:
    void synchronize() override;
    void showSelectionChange(const QList<QUuid> &added, const QList<QUuid> &removed);
    void showPlaybackChange();
    void showCurrentChange();
    void emitRowChanged(const QUuid &id, const QList<int> &roles);
    const StoredCopyLook &copyOf(const StashItemRowData &row) const;
    const QString &subtitleOf(const StashItemRowData &row) const;

    QPointer<StashStore> m_store;
    mutable FileIconNames m_fileIcons;
    QPointer<PanelSelection> m_selection;
    QPointer<AudioPlaybackController> m_player;
    // The rows last shown as the player's and the keyboard's, redrawn when those move on.
    QUuid m_shownPlaybackID;
    QUuid m_shownCurrentID;
    int m_lockedCount = 0;
};

} // namespace holdra
