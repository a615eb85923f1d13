#include "Panel/NotchController.h"

#include "Models/DraftModel.h"
#include "Panel/StashItemPresentation.h"
#include "Platform/OutsideClickMonitor.h"
#include "Settings/AppSettings.h"
#include "Store/StashStore.h"
#include "Support/SystemClock.h"

#include <array>
#include <utility>

namespace holdra {

namespace {

std::unique_ptr<NotchWindowManager> makeWindowManager(NotchController &controller, AppSettings &settings,
                                                      NotchController::Environment &environment)
{
    NotchWindowManager::Environment windowing;
    windowing.displays = std::move(environment.displays);
    windowing.makeWindow = [&controller, make = std::move(environment.makeWindow)](const QString &displayID) {
        return make(controller, displayID);
    };
    windowing.windowList = std::move(environment.windowList);
    windowing.ownPid = environment.ownPid;
    // The manager only starts and stops the press monitor; its owner picks it.
    OutsideClickMonitor *outsideClicks = environment.outsideClicks ? environment.outsideClicks(&controller) : nullptr;
    return std::make_unique<NotchWindowManager>(settings, std::move(windowing), outsideClicks);
}

} // namespace

NotchController::NotchController(StashStore &store, AppSettings &settings, Environment environment, QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_settings(settings)
    , m_ownClock(environment.clock ? nullptr : std::make_unique<SystemClock>())
    , m_clock(environment.clock ? *environment.clock : *m_ownClock)
    , m_draftModel(new DraftModel(m_clock, this))
    , m_importJob(new ImportJob(store, this))
    , m_toasts(new ToastPresenter(m_clock, settings, std::move(environment.playSound), this))
    , m_selection(new PanelSelection(this))
    , m_voiceNotes(new VoiceNoteController(store, *m_toasts, std::move(environment.loadAudioPlayer), this))
    , m_actions(
          new StashActions({store, *m_selection, *m_toasts, *m_voiceNotes, *m_draftModel, *m_importJob, m_clock}, this))
    , m_geometry(new PanelGeometry(
          settings, [this] { return referenceMetrics(); }, this))
    , m_stashItems(new StashItemListModel(&store, m_selection, this))
    , m_trashItems(new TrashItemListModel(&store, this))
    , m_search(new PanelSearch(store, *m_selection, this))
    , m_windows(makeWindowManager(*this, settings, environment))
{
    wireParts();
    m_windows->start();
    refreshKelvarnAvailability();
    m_geometry->refresh();
    updatePanelSize();
}

NotchController::~NotchController()
{
    // The windows' views read the controller and its parts; they go first.
    m_windows.reset();
}

void NotchController::wireParts()
{
    // The search filters the list the panel shows; keys, ranges and actions reach only its rows.
    m_search->results()->setSourceModel(m_stashItems);
    m_stashItems->setPlayer(m_voiceNotes->player());
    m_selection->setRowOrder([this] { return shownRows(); });
    connect(m_draftModel, &DraftModel::submitRequested, m_actions, &StashActions::submitDraft);
    connect(m_draftModel, &DraftModel::draftDidChange, this, &NotchController::updatePanelSize);
    connect(m_geometry, &PanelGeometry::widthChanged, this, &NotchController::updatePanelSize);
    connect(m_actions, &StashActions::draftSubmitted, this, [this] { close(false); });
    connect(m_actions, &StashActions::dropImported, this, [this](bool foundDuplicates) {
        // With duplicates the panel stays open to show them.
        if (!foundDuplicates && m_openedByDrag)
            scheduleAutoClose();
    });
    connect(m_voiceNotes, &VoiceNoteController::noteStashed, this,
            [this](const StashItem &item, const QString &displayID) { showItems({item}, displayID); });
    connect(m_windows.get(), &NotchWindowManager::closeRequested, this, &NotchController::close);
    connect(m_windows.get(), &NotchWindowManager::attachedDisplaysChanged, m_geometry, &PanelGeometry::refresh);
    connect(m_windows.get(), &NotchWindowManager::visibleCapsuleDisplayIDsChanged, this,
            &NotchController::visibleCapsuleDisplayIDsChanged);
}

QList<StashItem> NotchController::shownRows() const
{
    return m_isShowingTrash ? QList<StashItem>() : m_search->visibleItems(m_store.items());
}

std::optional<NotchMetrics> NotchController::referenceMetrics() const
{
    // The width is clamped to the open display, or the one the panel would open on.
    const std::optional<QString> reference = m_activeDisplayID ? m_activeDisplayID : m_windows->usualDisplay();
    return reference ? m_windows->metrics(*reference) : std::nullopt;
}

void NotchController::updatePanelSize()
{
    m_windows->setPanelSize({m_geometry->width(), PanelGeometry::height(m_draftModel->fieldContentHeight())});
}

// ---------------------------------------------------------------- published state

void NotchController::setDropTargeted(bool targeted)
{
    if (m_isDropTargeted == targeted)
        return;
    m_isDropTargeted = targeted;
    Q_EMIT isDropTargetedChanged();
}

void NotchController::setOpenState(bool open, const std::optional<QString> &displayID)
{
    const bool displayChanged = m_activeDisplayID != displayID;
    const bool openChanged = m_isOpen != open;
    m_isOpen = open;
    m_activeDisplayID = displayID;
    m_geometry->setPanelOpen(open);
    if (displayChanged)
        Q_EMIT activeDisplayIDChanged();
    if (openChanged)
        Q_EMIT isOpenChanged();
}

void NotchController::setShowingTrash(bool show)
{
    if (m_isShowingTrash == show)
        return;
    m_isShowingTrash = show;
    if (show)
        m_search->dismiss();
    Q_EMIT isShowingTrashChanged();
}

void NotchController::showTrash(bool show)
{
    m_selection->clear();
    setShowingTrash(show);
    if (show)
        m_store.purgeExpiredTrash();
}

void NotchController::showItems(const QList<StashItem> &items, const QString &displayID)
{
    open(displayID, false);
    m_selection->highlight(items, items);
}

// ---------------------------------------------------------------- open and close

void NotchController::open(const QString &displayID, bool prioritizingRequestedDisplay)
{
    const std::optional<QString> requested = displayID.isEmpty() ? std::nullopt : std::optional<QString>(displayID);
    const std::optional<QString> id = m_windows->displayForOpening(requested, prioritizingRequestedDisplay);
    if (!id || isOpenOn(*id))
        return;
    m_openedByDrag = false;
    setOpenState(true, id);
    // Clamped to the display it opens on, before its window grows.
    m_geometry->refresh();
    updatePanelSize();
    m_windows->showOpen(*id);
}

void NotchController::openForDrag(const QString &displayID)
{
    if (isOpenOn(displayID))
        return;
    open(displayID, false);
    if (m_isOpen)
        m_openedByDrag = true;
}

bool NotchController::isOpenOn(const QString &displayID) const
{
    return m_isOpen && m_activeDisplayID == displayID;
}

void NotchController::close(bool removingActiveWindow)
{
    if (!m_isOpen)
        return;
    m_geometry->endResize();
    const bool removing = m_windows->beginClose(removingActiveWindow);
    setOpenState(false, std::nullopt);
    setDropTargeted(false);
    m_openedByDrag = false;
    m_draftModel->setDraft(QString());
    m_draftModel->setTyping(false);
    m_selection->reset();
    m_search->dismiss();
    setShowingTrash(false);
    m_windows->finishClose(removing);
}

void NotchController::scheduleAutoClose()
{
    m_clock.runAfter(autoCloseDelay, this, [this] { close(false); });
}

// ---------------------------------------------------------------- keys

bool NotchController::handleKey(int key, int modifiers, const QString &text)
{
    if (!m_isOpen)
        return false;
    const Qt::KeyboardModifiers mods = Qt::KeyboardModifiers(modifiers) & ~Qt::KeypadModifier;
    // Escape first stops copies under way, deleting what they made so far.
    if (key == Qt::Key_Escape && mods == Qt::NoModifier && m_importJob->isBusy()) {
        m_importJob->cancel();
        return true;
    }
    if (m_draftModel->isTyping())
        return handleFieldKey(key, mods);
    return handleCommandKey(key, mods) || handleMoveKey(key, mods) || handleListKey(key, mods, text);
}

bool NotchController::handleFieldKey(int key, Qt::KeyboardModifiers mods)
{
    // Everything else edits the text: the field has the keys.
    if (mods != Qt::NoModifier)
        return false;
    if (key == Qt::Key_Escape) {
        if (m_draftModel->draft().isEmpty())
            close(false);
        else
            m_draftModel->setDraft(QString());
        return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        m_actions->submitDraft();
        return true;
    }
    return false;
}

bool NotchController::handleEscape()
{
    // The search goes first, then the selection, then the panel.
    if (m_search->dismiss())
        return true;
    if (m_selection->count() == 0)
        close(false);
    else
        m_selection->clear();
    return true;
}

bool NotchController::handleCommandKey(int key, Qt::KeyboardModifiers mods)
{
    struct Binding
    {
        int key;
        Qt::KeyboardModifiers modifiers;
        // False when the key does not apply now and goes on to the list.
        std::function<bool()> action;
    };
    const auto always = [](auto action) {
        return [action] {
            action();
            return true;
        };
    };
    const std::array<Binding, 9> bindings{{
        {Qt::Key_Escape, Qt::NoModifier, [this] { return handleEscape(); }},
        {Qt::Key_A, Qt::ControlModifier, always([this] { m_selection->selectAll(); })},
        {Qt::Key_F, Qt::ControlModifier, [this] { return !m_isShowingTrash && (m_search->begin(), true); }},
        {Qt::Key_C, Qt::ControlModifier, always([this] { m_actions->copySelection(); })},
        {Qt::Key_V, Qt::ControlModifier, always([this] { m_actions->paste(); })},
        {Qt::Key_Comma, Qt::ControlModifier, always([this] { Q_EMIT settingsRequested(); })},
        {Qt::Key_Q, Qt::ControlModifier, always([this] { Q_EMIT quitRequested(); })},
        {Qt::Key_Backspace, Qt::NoModifier,
         [this] { return m_selection->count() > 0 && (m_actions->deleteSelection(), true); }},
        {Qt::Key_Delete, Qt::NoModifier,
         [this] { return m_selection->count() > 0 && (m_actions->deleteSelection(), true); }},
    }};
    for (const Binding &binding : bindings) {
        if (binding.key == key && binding.modifiers == mods)
            return binding.action();
    }
    return false;
}

bool NotchController::handleMoveKey(int key, Qt::KeyboardModifiers mods)
{
    const bool extend = mods == Qt::ShiftModifier;
    if (m_isShowingTrash || (mods != Qt::NoModifier && !extend))
        return false;
    const QList<StashItem> order = shownRows();
    switch (key) {
    case Qt::Key_Up:
        return m_selection->moveBy(order, -1, extend);
    case Qt::Key_Down:
        return m_selection->moveBy(order, 1, extend);
    case Qt::Key_PageUp:
        return m_selection->moveBy(order, -m_listPageRows, extend);
    case Qt::Key_PageDown:
        return m_selection->moveBy(order, m_listPageRows, extend);
    case Qt::Key_Home:
        return m_selection->moveToEdge(order, false, extend);
    case Qt::Key_End:
        return m_selection->moveToEdge(order, true, extend);
    default:
        return false;
    }
}

bool NotchController::handleListKey(int key, Qt::KeyboardModifiers mods, const QString &text)
{
    if (m_isShowingTrash)
        return false;
    const bool plain = mods == Qt::NoModifier;
    // The keyboard's row, or the one row selected some other way.
    std::optional<QUuid> current = m_selection->current();
    if (!current && m_selection->count() == 1)
        current = *m_selection->ids().cbegin();
    const QString currentID = current ? StashItemPresentation::idText(*current) : QString();
    if (plain && (key == Qt::Key_Return || key == Qt::Key_Enter) && current) {
        m_actions->activateItem(currentID);
        return true;
    }
    if (plain && key == Qt::Key_Space && current) {
        m_actions->performPrimaryAction(currentID);
        return true;
    }
    if (plain && key == Qt::Key_Tab) {
        Q_EMIT quickEntryFocusRequested();
        return true;
    }
    // A character typed on the list goes on the open search, or starts a quick entry.
    const bool typing = (mods & ~Qt::ShiftModifier) == Qt::NoModifier && !text.isEmpty() && text.at(0).isPrint()
        && !text.at(0).isSpace();
    if (!typing)
        return false;
    if (m_search->isActive()) {
        m_search->setQuery(m_search->query() + text);
        m_search->begin();
        return true;
    }
    m_draftModel->setDraft(m_draftModel->draft() + text);
    Q_EMIT quickEntryFocusRequested();
    return true;
}

// ---------------------------------------------------------------- companion

void NotchController::refreshKelvarnAvailability()
{
    Q_EMIT kelvarnAvailabilityRefreshRequested();
}

void NotchController::setKelvarnAvailability(bool canOpenTodayFolder, bool supportsTargetDisplay)
{
    m_kelvarnSupportsTargetDisplay = canOpenTodayFolder && supportsTargetDisplay;
    if (m_canOpenKelvarnTodayFolder == canOpenTodayFolder)
        return;
    m_canOpenKelvarnTodayFolder = canOpenTodayFolder;
    Q_EMIT canOpenKelvarnTodayFolderChanged();
}

void NotchController::openKelvarnTodayFolder(const QString &displayID)
{
    // The companion may have gone or been re-routed since the capsule appeared.
    refreshKelvarnAvailability();
    if (!m_canOpenKelvarnTodayFolder) {
        m_toasts->beep();
        return;
    }
    Q_EMIT openKelvarnTodayFolderRequested(displayID, m_kelvarnSupportsTargetDisplay);
}

void NotchController::reportKelvarnOpenFailure()
{
    setKelvarnAvailability(false, false);
    m_toasts->beep();
}

} // namespace holdra
