#include "Panel/StashActions.h"

#include "App/PasteboardReader.h"
#include "Models/DraftModel.h"
#include "Models/StashItemKind.h"
#include "Panel/PanelSelection.h"
#include "Panel/StashItemPresentation.h"
#include "Panel/ToastPresenter.h"
#include "Panel/VoiceNoteController.h"
#include "Pasteboard/DropImport.h"
#include "Pasteboard/ImportFeedback.h"
#include "Pasteboard/PasteboardCommit.h"
#include "Pasteboard/PasteboardImporter.h"
#include "Pasteboard/WebAddress.h"
#include "Storage/FileStorageError.h"
#include "Store/ImportJob.h"
#include "Store/StashFeedback.h"
#include "Store/StashStore.h"
#include "Support/Clock.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <memory>

namespace holdra {

namespace {

// How many of `ids` the store keeps locked, and the others.
struct LockSplit
{
    qsizetype locked = 0;
    QSet<QUuid> unlocked;
};

LockSplit splitByLock(const QList<StashItem> &items, const QSet<QUuid> &ids)
{
    LockSplit split;
    for (const StashItem &item : items) {
        if (!ids.contains(item.id()))
            continue;
        if (item.locked())
            ++split.locked;
        else
            split.unlocked.insert(item.id());
    }
    return split;
}

// A removal that moved nothing because all of it was locked is a refusal.
ToastPresenter::Kind removalKind(int removed, qsizetype locked)
{
    return locked > 0 && removed == 0 ? ToastPresenter::Kind::error : ToastPresenter::Kind::done;
}

} // namespace

StashActions::StashActions(const Parts &parts, QObject *parent)
    : QObject(parent)
    , m_parts(parts)
{
}

std::optional<StashItem> StashActions::item(const QString &itemID) const
{
    const QUuid id = StashItemPresentation::idFromText(itemID);
    for (const StashItem &item : m_parts.store.items()) {
        if (!id.isNull() && item.id() == id)
            return item;
    }
    return std::nullopt;
}

QSet<QUuid> StashActions::ids(const QStringList &itemIDs)
{
    QSet<QUuid> ids;
    for (const QString &text : itemIDs) {
        if (const QUuid id = StashItemPresentation::idFromText(text); !id.isNull())
            ids.insert(id);
    }
    return ids;
}

QList<StashItem> StashActions::items(const QStringList &itemIDs) const
{
    const QSet<QUuid> ids = StashActions::ids(itemIDs);
    QList<StashItem> found;
    for (const StashItem &item : m_parts.store.items()) {
        if (ids.contains(item.id()))
            found.append(item);
    }
    return found;
}

// ---------------------------------------------------------------- copy, trash, lock, restore

void StashActions::copySelection()
{
    const QList<StashItem> selected = m_parts.selection.selectedItems();
    if (selected.isEmpty()) {
        m_parts.toasts.beep();
        return;
    }
    Q_EMIT copyRequested(selected);
    m_parts.toasts.feedback(StashFeedback::copyMessage(selected.size(), true));
}

void StashActions::copyItems(const QList<StashItem> &items)
{
    if (items.isEmpty())
        return;
    Q_EMIT copyRequested(items);
    m_parts.toasts.feedback(StashFeedback::copyMessage(items.size(), false));
}

void StashActions::copyItems(const QStringList &itemIDs)
{
    copyItems(items(itemIDs));
}

void StashActions::deleteSelection()
{
    if (m_parts.selection.count() == 0)
        return;
    // Only what is shown: a row hidden by the search is never trashed unseen.
    const QList<StashItem> selected = m_parts.selection.selectedItems();
    const LockSplit split = splitByLock(selected, StashItem::ids(selected));
    m_parts.voiceNotes.stopIfPlayingAny(split.unlocked);
    const int removed = m_parts.store.remove(split.unlocked);
    m_parts.selection.clear();
    m_parts.toasts.feedback(StashFeedback::selectionRemovalMessage(removed, split.locked),
                            removalKind(removed, split.locked));
}

void StashActions::removeItems(const QList<StashItem> &items)
{
    if (items.isEmpty())
        return;
    // The store's own record decides what is locked; the caller's copy may be stale.
    const QSet<QUuid> ids = StashItem::ids(items);
    const LockSplit split = splitByLock(m_parts.store.items(), ids);
    m_parts.voiceNotes.stopIfPlayingAny(split.unlocked);
    const int removed = m_parts.store.remove(ids);
    m_parts.selection.replace(m_parts.selection.ids() - ids);
    m_parts.toasts.feedback(StashFeedback::removalMessage(removed, split.locked), removalKind(removed, split.locked));
}

void StashActions::removeItems(const QStringList &itemIDs)
{
    removeItems(items(itemIDs));
}

void StashActions::toggleLock(const QList<StashItem> &items)
{
    if (items.isEmpty())
        return;
    const QSet<QUuid> ids = StashItem::ids(items);
    const bool lock = !splitByLock(m_parts.store.items(), ids).unlocked.isEmpty();
    m_parts.store.setLocked(lock, ids);
    m_parts.toasts.feedback(StashFeedback::lockMessage(lock, items.size()));
}

void StashActions::toggleLock(const QStringList &itemIDs)
{
    toggleLock(items(itemIDs));
}

void StashActions::clearAll()
{
    const QList<StashItem> all = m_parts.store.items();
    const QSet<QUuid> ids = StashItem::ids(all);
    const LockSplit split = splitByLock(all, ids);
    m_parts.voiceNotes.stopIfPlayingAny(ids);
    m_parts.store.removeAll();
    m_parts.selection.replace(m_parts.selection.ids() - split.unlocked);
    if (const std::optional<QString> message = StashFeedback::clearMessage(split.unlocked.size(), split.locked))
        m_parts.toasts.feedback(*message);
}

void StashActions::restoreAllFromTrash()
{
    QSet<QUuid> ids;
    for (const TrashedItem &entry : m_parts.store.trashItems())
        ids.insert(entry.id());
    reportRestore(m_parts.store.restoreFromTrash(ids));
}

void StashActions::restoreFromTrash(const QStringList &itemIDs)
{
    if (const QSet<QUuid> chosen = ids(itemIDs); !chosen.isEmpty())
        reportRestore(m_parts.store.restoreFromTrash(chosen));
}

void StashActions::reportRestore(const TrashRestoreResult &result)
{
    const std::optional<QString> message = StashFeedback::restoreMessage(result);
    if (!message)
        return;
    // Nothing restored is a refusal, whatever the reason.
    m_parts.toasts.feedback(*message,
                            result.restored.isEmpty() ? ToastPresenter::Kind::error : ToastPresenter::Kind::done);
}

void StashActions::submitDraft()
{
    const QString draft = m_parts.draft.draft();
    const QString trimmed = draft.trimmed();
    if (!trimmed.isEmpty()) {
        try {
            if (WebAddress::fromText(trimmed))
                m_parts.store.addLink(trimmed, std::nullopt);
            else
                m_parts.store.addText(draft);
            m_parts.toasts.feedback(StashFeedback::entryMessage());
        } catch (const FileStorageError &error) {
            m_parts.toasts.show(error.errorDescription(), ToastPresenter::Kind::error);
        }
    }
    Q_EMIT draftSubmitted();
}

// ---------------------------------------------------------------- rows

void StashActions::activateItem(const QString &itemID)
{
    const std::optional<StashItem> found = item(itemID);
    if (!found)
        return;
    if (found->kind() == StashItemKind::audio)
        m_parts.voiceNotes.togglePlayback(*found);
    else if (found->kind() == StashItemKind::text)
        Q_EMIT previewItemRequested(*found);
    else
        Q_EMIT openItemRequested(*found);
}

void StashActions::performPrimaryAction(const QString &itemID)
{
    const std::optional<StashItem> found = item(itemID);
    if (!found)
        return;
    const bool isFile = found->kind() == StashItemKind::file;
    const bool isFolder =
        isFile && StashItemPresentation::isStoredDirectory(*found, m_parts.store.absolutePath(*found));
    if (found->kind() == StashItemKind::image || (isFile && !isFolder))
        Q_EMIT previewItemRequested(*found);
    else
        activateItem(itemID);
}

void StashActions::openItem(const QString &itemID)
{
    if (const std::optional<StashItem> found = item(itemID))
        Q_EMIT openItemRequested(*found);
}

void StashActions::revealItem(const QString &itemID)
{
    if (const std::optional<StashItem> found = item(itemID))
        Q_EMIT revealItemRequested(*found);
}

void StashActions::previewItem(const QString &itemID)
{
    if (const std::optional<StashItem> found = item(itemID))
        Q_EMIT previewItemRequested(*found);
}

void StashActions::dragItems(const QString &itemID, QObject *source)
{
    if (const std::optional<StashItem> found = item(itemID))
        Q_EMIT dragRequested(m_parts.selection.effectiveItems(*found), source);
}

// ---------------------------------------------------------------- paste and drops

void StashActions::paste()
{
    const QClipboard *clipboard = QGuiApplication::clipboard();
    paste(PasteboardReader(clipboard ? clipboard->mimeData() : nullptr));
}

void StashActions::paste(const PasteboardReading &pasteboard)
{
    const PasteboardContent content = PasteboardImporter::classify(pasteboard);
    // Pasted files may be big: they are copied like a drop, in turn with the drops before them.
    if (const auto *files = std::get_if<PasteboardContent::Files>(&content.value)) {
        m_parts.importJob.start({files->urls.cbegin(), files->urls.cend()},
                                [this, content](const ImportJob::Result &result) {
                                    if (!result.cancelled)
                                        showPasteOutcome(content, PasteboardCommit::fromImport(result));
                                });
        return;
    }
    showPasteOutcome(content, PasteboardCommit::commit(content, m_parts.store));
}

void StashActions::showPasteOutcome(const PasteboardContent &content, const PasteboardCommit &commit)
{
    const std::optional<QString> message = ImportFeedback::pasteFeedback(content, commit);
    if (!message) {
        m_parts.toasts.beep();
        return;
    }
    if (!commit.duplicates.isEmpty())
        m_parts.selection.highlight(m_parts.store.items(), commit.duplicates);
    m_parts.toasts.feedback(*message);
}

void StashActions::drop(const QMimeData &data)
{
    // The drag's data is gone once the drop returns: keep a copy for the import.
    auto copy = std::make_shared<QMimeData>();
    const QStringList formats = data.formats();
    for (const QString &format : formats)
        copy->setData(format, data.data(format));
    m_parts.clock.runAfter(Clock::Duration::zero(), this, [this, copy] { importDrop(*copy); });
}

void StashActions::importDrop(const QMimeData &data)
{
    const DropImport::Prepared prepared = DropImport::prepare(data, m_parts.store);
    const auto finish = [this, prepared](const ImportJob::Result &result) {
        const DropImport::Outcome outcome = DropImport::finish(prepared, result);
        showDropOutcome(outcome.addedCount, outcome.duplicates);
    };
    if (prepared.entries.isEmpty())
        finish({});
    else
        m_parts.importJob.start(prepared.entries, finish);
}

void StashActions::showDropOutcome(int addedCount, const QList<StashItem> &duplicates)
{
    // Nothing stored and nothing repeated: the drop ends silently.
    const std::optional<QString> message = ImportFeedback::dropFeedback(addedCount, duplicates);
    if (!message)
        return;
    if (!duplicates.isEmpty())
        m_parts.selection.highlight(m_parts.store.items(), duplicates);
    m_parts.toasts.feedback(*message);
    Q_EMIT dropImported(!duplicates.isEmpty());
}

} // namespace holdra
