#pragma once

#include "Models/StashItem.h"
#include "Store/TrashRestoreResult.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

class QMimeData;

namespace holdra {

class Clock;
class DraftModel;
class ImportJob;
class PanelSelection;
class PasteboardReading;
struct PasteboardCommit;
struct PasteboardContent;
class StashStore;
class ToastPresenter;
class VoiceNoteController;

// What the panel does with the stash: copy, trash, lock, clear, restore,
// store the quick entry, paste and drops (imported, then told, with the
// duplicates they repeated selected), and opening, revealing, previewing or
// dragging a row. The rows' entry points take upper-case UUID strings; what
// leaves the stash (the clipboard, other programs, previews) goes out through
// the request signals. Every message comes from StashFeedback.
class StashActions : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The controller owns the actions.")

public:
    // What the actions work on; everything must outlive them.
    struct Parts
    {
        StashStore &store;
        PanelSelection &selection;
        ToastPresenter &toasts;
        VoiceNoteController &voiceNotes;
        DraftModel &draft;
        ImportJob &importJob;
        Clock &clock;
    };

    explicit StashActions(const Parts &parts, QObject *parent = nullptr);

    Q_INVOKABLE void copySelection();
    void copyItems(const QList<StashItem> &items);
    Q_INVOKABLE void copyItems(const QStringList &itemIDs);
    // Trashes the selected rows that are shown, sparing locked ones.
    Q_INVOKABLE void deleteSelection();
    void removeItems(const QList<StashItem> &items);
    Q_INVOKABLE void removeItems(const QStringList &itemIDs);
    // Locks all when any is unlocked, else unlocks all.
    void toggleLock(const QList<StashItem> &items);
    Q_INVOKABLE void toggleLock(const QStringList &itemIDs);
    Q_INVOKABLE void clearAll();
    Q_INVOKABLE void restoreAllFromTrash();
    Q_INVOKABLE void restoreFromTrash(const QStringList &itemIDs);
    void reportRestore(const TrashRestoreResult &result);
    // The quick entry: a web address becomes a link, anything else a text; the panel closes.
    Q_INVOKABLE void submitDraft();

    // Return on a row: plays a voice note, previews a text, opens the rest.
    Q_INVOKABLE void activateItem(const QString &itemID);
    // Space on a row: a look at files and images, otherwise as activateItem.
    Q_INVOKABLE void performPrimaryAction(const QString &itemID);
    Q_INVOKABLE void openItem(const QString &itemID);
    Q_INVOKABLE void revealItem(const QString &itemID);
    Q_INVOKABLE void previewItem(const QString &itemID);
    // A row is dragged: out go its effective items, from `source` (the row).
    Q_INVOKABLE void dragItems(const QString &itemID, QObject *source);

    // Ctrl+V: what the clipboard holds goes into the stash.
    Q_INVOKABLE void paste();
    void paste(const PasteboardReading &pasteboard);
    // Imports what was dropped, on the next turn of the event loop: the drop
    // itself is accepted at once and its data copied.
    void drop(const QMimeData &data);

Q_SIGNALS:
    void copyRequested(const QList<holdra::StashItem> &items);
    void openItemRequested(const holdra::StashItem &item);
    void revealItemRequested(const holdra::StashItem &item);
    void previewItemRequested(const holdra::StashItem &item);
    void dragRequested(const QList<holdra::StashItem> &items, QObject *source);
    void draftSubmitted();
    // A drop stored or found something; with duplicates the panel stays to show them.
    void dropImported(bool foundDuplicates);

private:
    static QSet<QUuid> ids(const QStringList &itemIDs);
    std::optional<StashItem> item(const QString &itemID) const;
    QList<StashItem> items(const QStringList &itemIDs) const;
    void importDrop(const QMimeData &data);
    void showPasteOutcome(const PasteboardContent &content, const PasteboardCommit &commit);
    void showDropOutcome(int addedCount, const QList<StashItem> &duplicates);

    Parts m_parts;
};

} // namespace holdra
