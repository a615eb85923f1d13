#include "App/ItemTransfer.h"

#include "App/PasteboardReader.h"
#include "Integration/ExternalFileImportContract.h"
#include "Notch/DropImport.h"
#include "Notch/NotchController.h"
#include "Pasteboard/ImportFeedback.h"
#include "Pasteboard/PasteboardCommit.h"
#include "Pasteboard/PasteboardImporter.h"
#include "Store/StashStore.h"

#include <QClipboard>
#include <QGuiApplication>

namespace holdra {

namespace {

QSet<QUuid> idsOf(const QList<StashItem> &items)
{
    QSet<QUuid> ids;
    for (const StashItem &item : items)
        ids.insert(item.id());
    return ids;
}

// The first of `items` in list order, so that the scroll shows it and those below.
std::optional<QUuid> topmost(const QList<StashItem> &list, const QList<StashItem> &items)
{
    const QSet<QUuid> ids = idsOf(items);
    for (const StashItem &item : list) {
        if (ids.contains(item.id()))
            return item.id();
    }
    return std::nullopt;
}

// Selects the stored items an import repeated and scrolls the first of them into view.
void highlight(NotchController &controller, const QList<StashItem> &list, const QList<StashItem> &duplicates)
{
    controller.setSelection(idsOf(duplicates));
    controller.setScrollTargetItemID(topmost(list, duplicates));
    controller.requestScrollToTop();
}

} // namespace

ItemTransfer::ItemTransfer(NotchController &controller, StashStore &store, UserDefaults *defaults, QObject *parent)
    : QObject(parent)
    , m_controller(controller)
    , m_store(store)
    , m_actions(store)
    , m_textPreview(defaults)
    , m_instance(SingleInstance::defaultServerName())
    , m_import(store)
    , m_commands(store, m_import)
{
    controller.setImportJob(&m_import);
    connect(&controller, &NotchController::pasteRequested, this, &ItemTransfer::handlePaste);
    connect(&controller, &NotchController::dropRequested, this,
            [this](const QMimeData *data, const QString &) { importDrop(*data); });
    connect(&controller, &NotchController::copyRequested, this, [this](const QList<StashItem> &items) {
        if (QClipboard *clipboard = QGuiApplication::clipboard())
            m_actions.copyItems(items, *clipboard);
    });
    connect(&controller, &NotchController::openItemRequested, this,
            [this](const StashItem &item) { m_actions.open(item); });
    connect(&controller, &NotchController::revealItemRequested, this,
            [this](const StashItem &item) { m_actions.reveal(item); });
    connect(&controller, &NotchController::previewItemRequested, this, &ItemTransfer::preview);
    // Opening, revealing or previewing that could not be done is an error toast.
    const auto showError = [this](const QString &message) {
        m_controller.showToast(message, NotchController::ToastKind::error);
    };
    connect(&m_actions, &ItemActions::failed, this, showError);
    connect(&m_quickLook, &QuickLookCoordinator::failed, this, showError);
    connect(&controller, &NotchController::dragRequested, this,
            [this](const QList<StashItem> &items, QObject *source) { m_actions.startDrag(items, source); });
    connect(&m_instance, &SingleInstance::filesOpened, this, &ItemTransfer::importExternalFiles);
    connect(&m_instance, &SingleInstance::showRequested, this, [this] { m_controller.open(); });
    connect(&m_instance, &SingleInstance::settingsRequested, this, &ItemTransfer::settingsRequested);
    // A terminal's changes are made on this store, so the panel shows them at
    // once, and never wait for the writer lock this instance holds.
    m_instance.setCommandHandler([this](const cli::CommandRequest &request, const SingleInstance::Reply &reply) {
        m_commands.handle(request, reply);
    });
    // What a crash left behind; nothing of it can be in use.
    m_actions.removeDragScratch();
}

ItemTransfer::~ItemTransfer()
{
    m_controller.setImportJob(nullptr);
    m_actions.removeDragScratch();
}

bool ItemTransfer::listenForOtherInstances()
{
    return m_instance.listen();
}

void ItemTransfer::handlePaste()
{
    const QClipboard *clipboard = QGuiApplication::clipboard();
    const PasteboardContent content =
        PasteboardImporter::classify(PasteboardReader(clipboard ? clipboard->mimeData() : nullptr));
    // Pasted files may be big: they are copied like a drop, in turn with the drops before them.
    if (const auto *files = std::get_if<PasteboardContent::Files>(&content.value)) {
        m_import.start({files->urls.cbegin(), files->urls.cend()}, [this, content](const ImportJob::Result &result) {
            if (!result.cancelled)
                showPasteOutcome(content, PasteboardCommit::fromImport(result));
        });
        return;
    }
    showPasteOutcome(content, PasteboardCommit::commit(content, m_store));
}

void ItemTransfer::showPasteOutcome(const PasteboardContent &content, const PasteboardCommit &commit)
{
    const std::optional<QString> message = ImportFeedback::pasteFeedback(content, commit);
    if (!message) {
        m_controller.beep();
        return;
    }
    if (!commit.duplicates.isEmpty())
        highlight(m_controller, m_store.items(), commit.duplicates);
    m_controller.feedback(*message);
}

void ItemTransfer::importDrop(const QMimeData &data)
{
    const DropImport::Prepared prepared = DropImport::prepare(data, m_store);
    if (prepared.entries.isEmpty()) {
        showDropOutcome(DropImport::finish(prepared, {}));
        return;
    }
    m_import.start(prepared.entries, [this, prepared](const ImportJob::Result &result) {
        showDropOutcome(DropImport::finish(prepared, result));
    });
}

void ItemTransfer::showDropOutcome(const DropImport::Outcome &outcome)
{
    const std::optional<QString> message = outcome.message();
    if (!message)
        return;
    if (!outcome.duplicates.isEmpty())
        highlight(m_controller, m_store.items(), outcome.duplicates);
    m_controller.feedback(*message);
    // With duplicates the panel stays open to show them.
    if (outcome.duplicates.isEmpty() && m_controller.openedByDrag())
        m_controller.scheduleAutoClose();
}

void ItemTransfer::importExternalFiles(const QList<QUrl> &urls)
{
    const QList<QUrl> files = ExternalFileImportContract::normalizedFileURLs(urls);
    if (files.isEmpty())
        return;
    // Opened at once, so that the bar shows the copy going on.
    m_controller.open();
    m_import.start({files.cbegin(), files.cend()}, [this](const ImportJob::Result &result) {
        if (result.cancelled)
            return;
        // New items are shown first; with none, the repeated ones.
        if (!result.added.isEmpty()) {
            m_controller.setScrollTargetItemID(result.added.first().id());
            m_controller.requestScrollToTop();
            if (!result.duplicates.isEmpty())
                m_controller.setSelection(idsOf(result.duplicates));
        } else if (!result.duplicates.isEmpty()) {
            highlight(m_controller, m_store.items(), result.duplicates);
        }
        m_controller.open();
        m_controller.feedback(ExternalFileImportContract::feedbackMessage(result.added.size(),
                                                                          result.duplicates.size(),
                                                                          result.errors.size()),
                              result.errors.isEmpty() ? NotchController::ToastKind::done
                                                      : NotchController::ToastKind::error);
    });
}

void ItemTransfer::preview(const StashItem &item)
{
    if (item.kind() == StashItemKind::text) {
        if (!item.text() || item.text()->isEmpty())
            return;
        m_controller.close(false);
        m_textPreview.show(item.displayName(), *item.text());
        return;
    }
    if (const std::optional<QString> path = m_store.absolutePath(item))
        m_quickLook.present({QUrl::fromLocalFile(*path)});
}

} // namespace holdra
