#include "App/ItemTransfer.h"

#include "Integration/ExternalFileImportContract.h"
#include "Panel/NotchController.h"
#include "Store/StashStore.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPointer>

namespace holdra {

ItemTransfer::ItemTransfer(NotchController &controller, StashStore &store, QQmlEngine &engine, UserDefaults *defaults,
                           QObject *parent)
    : QObject(parent)
    , m_controller(controller)
    , m_store(store)
    , m_actions(store)
    , m_textPreview(engine, defaults)
    , m_quickLook(engine)
    , m_instance(SingleInstance::defaultServerName())
    , m_commands(store, *controller.importJob())
{
    const StashActions *panel = controller.actions();
    connect(panel, &StashActions::copyRequested, this, [this](const QList<StashItem> &items) {
        if (QClipboard *clipboard = QGuiApplication::clipboard())
            m_actions.copyItems(items, *clipboard);
    });
    connect(panel, &StashActions::openItemRequested, this, [this](const StashItem &item) { m_actions.open(item); });
    connect(panel, &StashActions::revealItemRequested, this, [this](const StashItem &item) { m_actions.reveal(item); });
    connect(panel, &StashActions::previewItemRequested, this, &ItemTransfer::preview);
    // Opening, revealing or previewing that could not be done is an error toast.
    const auto showError = [this](const QString &message) {
        m_controller.toasts()->show(message, ToastPresenter::Kind::error);
    };
    connect(&m_actions, &ItemActions::failed, this, showError);
    connect(&m_quickLook, &QuickLookCoordinator::failed, this, showError);
    connect(panel, &StashActions::dragRequested, this,
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
    m_actions.removeDragScratch();
}

bool ItemTransfer::listenForOtherInstances()
{
    return m_instance.listen();
}

void ItemTransfer::importExternalFiles(const QList<QUrl> &urls)
{
    const QList<QUrl> files = ExternalFileImportContract::normalizedFileURLs(urls);
    if (files.isEmpty())
        return;
    // Opened at once, so that the bar shows the copy going on.
    m_controller.open();
    // The job is the controller's and may outlive this.
    const QPointer<ItemTransfer> self(this);
    m_controller.importJob()->start({files.cbegin(), files.cend()}, [this, self](const ImportJob::Result &result) {
        if (!self || result.cancelled)
            return;
        PanelSelection &selection = *m_controller.selection();
        // New items are shown first; with none, the repeated ones.
        if (!result.added.isEmpty()) {
            selection.setScrollTarget(result.added.first().id());
            selection.requestScrollToTop();
            if (!result.duplicates.isEmpty())
                selection.replace(StashItem::ids(result.duplicates));
        } else if (!result.duplicates.isEmpty()) {
            selection.highlight(m_store.items(), result.duplicates);
        }
        m_controller.open();
        m_controller.toasts()->feedback(
            ExternalFileImportContract::feedbackMessage(result.added.size(), result.duplicates.size(),
                                                        result.errors.size()),
            result.errors.isEmpty() ? ToastPresenter::Kind::done : ToastPresenter::Kind::error);
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
