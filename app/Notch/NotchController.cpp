#include "Notch/NotchController.h"

#include "Audio/RecordingController.h"
#include "Models/DraftModel.h"
#include "Models/DraftTextMetrics.h"
#include "Pasteboard/WebAddress.h"
#include "Models/StashItemKind.h"
#include "Notch/StashItemPresentation.h"
#include "Store/ImportJob.h"
#include "Platform/OutsideClickMonitor.h"
#include "Settings/AppSettings.h"
#include "Storage/FileStorageError.h"
#include "Store/StashStore.h"
#include "Support/FullScreenVisibilityMonitor.h"
#include "Support/SystemClock.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>
#include <QScreen>
#include <QUrl>
#include <QWindow>

#include <algorithm>
#include <utility>

namespace holdra {

namespace {

QString countText(qsizetype n)
{
    return QString::number(n);
}

std::optional<QUuid> parsedID(const QString &text)
{
    const QUuid id = QUuid::fromString(text);
    if (id.isNull())
        return std::nullopt;
    return id;
}

} // namespace

NotchController::NotchController(StashStore &store, AppSettings &settings, Environment environment,
                                 QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_settings(settings)
    , m_environment(std::move(environment))
    , m_ownClock(m_environment.clock ? nullptr : std::make_unique<SystemClock>())
    , m_clock(m_environment.clock ? m_environment.clock : m_ownClock.get())
    , m_draftModel(new DraftModel(*m_clock, this))
    // Rows get a player opened beforehand (see toggleAudioPlayback), so the
    // playback controller's synchronous factory only hands it over.
    , m_audioPlayer(new AudioPlaybackController(
          [this](const QUrl &) { return std::exchange(m_loadedPlayer, nullptr); }, nullptr, this))
    , m_panelWidth(settings.panelWidth())
    , m_allowsFullScreenPresentation(settings.enableInFullScreen())
{
    Q_ASSERT(m_environment.makeWindow);
    if (!m_environment.displays)
        m_environment.displays = [] { return QList<NotchDisplay>(); };

    connect(m_selection, &PanelSelection::changed, this, &NotchController::selectionChanged);
    // The search filters the list the panel shows, which lives as long as this.
    m_search->results()->setSourceModel(m_stashItems);
    connect(m_draftModel, &DraftModel::submitRequested, this, &NotchController::submitDraft);
    connect(m_draftModel, &DraftModel::draftDidChange, this, &NotchController::handleDraftDidChange);

    connect(&m_settings, &AppSettings::panelWidthChanged, this,
            [this](double width) { applyPanelWidth(width, false); });
    connect(&m_settings, &AppSettings::displayAttachmentSelectionChanged, this,
            [this](const DisplayAttachmentSelection &selection) { refreshAttachedWindows(selection); });
    connect(&m_settings, &AppSettings::enableInFullScreenChanged, this,
            &NotchController::applyFullScreenPreference);

    if (m_environment.outsideClicks) {
        m_outsideClickMonitor = m_environment.outsideClicks(this);
        connect(m_outsideClickMonitor, &OutsideClickMonitor::buttonPressed, this,
                &NotchController::handleOutsidePress);
    }

    refreshAttachedWindows();

    if (m_environment.windowList) {
        QPointer<NotchController> self(this);
        m_fullScreenVisibilityMonitor = new FullScreenVisibilityMonitor(
            [self] {
                QList<FullScreenWindowDetector::DisplayBounds> bounds;
                if (!self)
                    return bounds;
                // The window list is in X11's native pixels.
                for (const NotchDisplay &display : self->displays())
                    bounds.append({display.id, display.nativeGeometry()});
                return bounds;
            },
            m_environment.windowList, m_environment.ownPid, this);
        connect(m_fullScreenVisibilityMonitor, &FullScreenVisibilityMonitor::coverageChanged, this,
                &NotchController::applyFullScreenCoverage);
        m_fullScreenVisibilityMonitor->start();
    }

    refreshKelvarnAvailability();
    setPanelWidth(clampedPanelWidth(m_panelWidth));
}

NotchController::~NotchController()
{
    // The windows' views read the controller; they go first.
    m_windows.clear();
    m_retiredWindows.clear();
}

// ---------------------------------------------------------------- published state

void NotchController::setDropTargeted(bool targeted)
{
    if (m_isDropTargeted == targeted)
        return;
    m_isDropTargeted = targeted;
    Q_EMIT isDropTargetedChanged();
}

void NotchController::setSelection(const QSet<QUuid> &selection)
{
    m_selection->replace(selection);
}

void NotchController::requestScrollToTop()
{
    ++m_scrollToTopRequest;
    Q_EMIT scrollToTopRequestChanged();
}

void NotchController::setScrollTargetItemID(const std::optional<QUuid> &id)
{
    if (m_scrollTargetItemID == id)
        return;
    m_scrollTargetItemID = id;
    Q_EMIT scrollTargetItemIDChanged();
}

void NotchController::setRecorder(RecordingController *recorder)
{
    if (m_recorder == recorder)
        return;
    if (m_recorder)
        disconnect(m_recorder, nullptr, this, nullptr);
    m_recorder = recorder;
    if (m_recorder) {
        connect(m_recorder, &RecordingController::stashed, this, &NotchController::handleRecordingStashed);
        connect(m_recorder, &RecordingController::discarded, this, [this](const QString &message) {
            // A kept recording waits for the next chance; say why it was not stashed.
            if (message.isEmpty())
                beep();
            else
                feedback(message, ToastKind::error);
        });
    }
    Q_EMIT recorderChanged();
}

QString NotchController::durationText(double seconds) const
{
    return StashItem::durationText(seconds);
}

QString NotchController::idText(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

QStringList NotchController::selection() const
{
    QStringList ids;
    ids.reserve(m_selection->count());
    for (const QUuid &id : m_selection->ids())
        ids.append(idText(id));
    ids.sort();
    return ids;
}

QString NotchController::scrollTargetItemIDText() const
{
    return m_scrollTargetItemID ? idText(*m_scrollTargetItemID) : QString();
}

QObject *NotchController::storeObject() const { return &m_store; }
QObject *NotchController::settingsObject() const { return &m_settings; }
QObject *NotchController::draftModelObject() const { return m_draftModel; }
QObject *NotchController::audioPlayerObject() const { return m_audioPlayer; }
QObject *NotchController::recorderObject() const { return m_recorder; }

QObject *NotchController::importJobObject() const { return m_importJob; }

void NotchController::setImportJob(ImportJob *job)
{
    m_importJob = job;
    Q_EMIT importJobChanged();
}

void NotchController::setOpenState(bool open, const std::optional<QString> &displayID)
{
    const bool displayChanged = m_activeDisplayID != displayID;
    const bool openChanged = m_isOpen != open;
    m_isOpen = open;
    m_activeDisplayID = displayID;
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

void NotchController::setVisibleCapsuleDisplayIDs(const QStringList &ids)
{
    if (m_visibleCapsuleDisplayIDs == ids)
        return;
    m_visibleCapsuleDisplayIDs = ids;
    Q_EMIT visibleCapsuleDisplayIDsChanged();
}

// ---------------------------------------------------------------- displays

QList<NotchDisplay> NotchController::displays() const
{
    // Two displays reporting one identifier: the first one keeps it.
    QList<NotchDisplay> unique;
    QSet<QString> seen;
    for (const NotchDisplay &display : m_environment.displays()) {
        if (seen.contains(display.id))
            continue;
        seen.insert(display.id);
        unique.append(display);
    }
    return unique;
}

std::optional<NotchDisplay> NotchController::display(const QString &displayID) const
{
    for (const NotchDisplay &display : displays()) {
        if (display.id == displayID)
            return display;
    }
    return std::nullopt;
}

QScreen *NotchController::screen(const QString &displayID) const
{
    const std::optional<NotchDisplay> found = display(displayID);
    return found ? found->screen : nullptr;
}

bool NotchController::isNotched(const QString &displayID) const
{
    const std::optional<NotchDisplay> found = display(displayID);
    return found && found->safeAreaTop > 0;
}

std::optional<NotchMetrics> NotchController::metrics(const NotchDisplay &display,
                                                     const QRectF &primaryGeometry) const
{
    return NotchMetrics(NotchMetrics::fromQtGlobal(display.geometry, primaryGeometry),
                        NotchMetrics::fromQtGlobal(display.availableGeometry, primaryGeometry),
                        display.safeAreaTop, display.auxiliaryTopLeftWidth, display.auxiliaryTopRightWidth);
}

std::optional<NotchMetrics> NotchController::metrics(const QString &displayID) const
{
    const QList<NotchDisplay> all = displays();
    for (const NotchDisplay &display : all) {
        if (display.id == displayID)
            return metrics(display, all.first().geometry);
    }
    return std::nullopt;
}

QRectF NotchController::toQt(const QRectF &yUpFrame) const
{
    const QList<NotchDisplay> all = displays();
    return all.isEmpty() ? yUpFrame : NotchMetrics::toQtGlobal(yUpFrame, all.first().geometry);
}

std::optional<QString> NotchController::defaultDisplayID(const QList<NotchDisplay> &displays) const
{
    for (const NotchDisplay &display : displays) {
        if (display.safeAreaTop > 0)
            return display.id;
    }
    // The primary display comes first.
    if (!displays.isEmpty())
        return displays.first().id;
    return std::nullopt;
}

QRectF NotchController::closedFrame(const QString &displayID) const
{
    const std::optional<NotchMetrics> m = metrics(displayID);
    if (!m)
        return {};
    return toQt(m->closedFrame(closedFallbackWidth, interactiveBandBelowNotch));
}

std::optional<QRectF> NotchController::openFrame(const QString &displayID) const
{
    const auto entry = m_windows.find(displayID);
    const std::optional<NotchMetrics> m = metrics(displayID);
    if (entry == m_windows.end() || !m)
        return std::nullopt;
    return toQt(m->openFrame(m_panelWidth, entry->second.contentHeight));
}

QStringList NotchController::windowDisplayIDs() const
{
    QStringList ids;
    for (const auto &[id, entry] : m_windows)
        ids.append(id);
    return ids;
}

NotchWindowing *NotchController::window(const QString &displayID) const
{
    const auto entry = m_windows.find(displayID);
    return entry == m_windows.end() ? nullptr : entry->second.window.get();
}

// ---------------------------------------------------------------- windows

NotchController::WindowEntry &NotchController::takeOrMakeWindow(const QString &displayID)
{
    auto entry = m_windows.find(displayID);
    if (entry == m_windows.end()) {
        WindowEntry made;
        made.window = m_environment.makeWindow(*this, displayID);
        entry = m_windows.emplace(displayID, std::move(made)).first;
    }
    return entry->second;
}

void NotchController::removeWindow(const QString &displayID)
{
    auto entry = m_windows.find(displayID);
    if (entry != m_windows.end()) {
        std::unique_ptr<NotchWindowing> window = std::move(entry->second.window);
        m_windows.erase(entry);
        window->orderOut();
        // The removal may come from a handler of that very window's view (its
        // close button): the window goes once the event is delivered.
        m_retiredWindows.push_back(std::move(window));
        QMetaObject::invokeMethod(this, [this] { m_retiredWindows.clear(); }, Qt::QueuedConnection);
    }
    m_transientDisplayIDs.remove(displayID);
    m_attachedDisplayOrder.removeAll(displayID);
}

void NotchController::recomputeContentHeight(const QString &displayID)
{
    auto entry = m_windows.find(displayID);
    if (entry == m_windows.end())
        return;
    const double line = DraftTextMetrics::lineHeight();
    const double field = std::min(std::max(m_draftModel->fieldContentHeight(), line), maximumFieldLines * line);
    const double height = panelBaseHeight + field - line;
    if (height == entry->second.contentHeight)
        return;
    entry->second.contentHeight = height;
    const QRectF frame = entry->second.window->frame();
    entry->second.window->setFrame(QRectF(frame.topLeft(), QSizeF(frame.width(), height)));
}

void NotchController::refreshAttachedWindows(const std::optional<DisplayAttachmentSelection> &requestedSelection)
{
    const QList<NotchDisplay> all = displays();
    QStringList availableIDs;
    for (const NotchDisplay &display : all)
        availableIDs.append(display.id);
    const std::optional<QString> defaultID = defaultDisplayID(all);
    const DisplayAttachmentSelection selection =
        requestedSelection.value_or(m_settings.displayAttachmentSelection());

    const QStringList resolved = selection.resolvedIDs(availableIDs, defaultID);
    QSet<QString> notched;
    for (const NotchDisplay &display : all) {
        if (metrics(display, all.first().geometry)->hasNotch())
            notched.insert(display.id);
    }
    const QStringList hidden = selection.hiddenNotchTriggerIDs(availableIDs, notched);
    const QSet<QString> previousHidden = std::exchange(m_hiddenNotchTriggerDisplayIDs,
                                                       QSet<QString>(hidden.cbegin(), hidden.cend()));
    setVisibleCapsuleDisplayIDs(resolved);

    const QStringList attach = resolved + hidden;
    QSet<QString> target(attach.cbegin(), attach.cend());
    if (m_isOpen && m_activeDisplayID && m_transientDisplayIDs.contains(*m_activeDisplayID)
        && availableIDs.contains(*m_activeDisplayID))
        target.insert(*m_activeDisplayID);

    if (m_isOpen && m_activeDisplayID && !target.contains(*m_activeDisplayID))
        close(selection.isDisabled() || previousHidden.contains(*m_activeDisplayID));

    const QStringList existing = windowDisplayIDs();
    for (const QString &id : existing) {
        if (!target.contains(id))
            removeWindow(id);
    }

    m_attachedDisplayOrder = resolved;
    setPanelWidth(clampedPanelWidth(m_settings.panelWidth()));

    QStringList placing = attach;
    for (const QString &id : std::as_const(target)) {
        if (!attach.contains(id))
            placing.append(id);
    }
    for (const QString &id : std::as_const(placing)) {
        if (!availableIDs.contains(id))
            continue;
        WindowEntry &entry = takeOrMakeWindow(id);
        if (attach.contains(id))
            m_transientDisplayIDs.remove(id);
        recomputeContentHeight(id);
        const bool openHere = isOpenOn(id);
        entry.window->setFrame(openHere ? openFrame(id).value_or(QRectF()) : closedFrame(id));
        if (m_fullScreenCoveredDisplayIDs.contains(id))
            entry.window->orderOut();
        else
            entry.window->orderFront();
    }

    m_fullScreenCoveredDisplayIDs.intersect(QSet<QString>(availableIDs.cbegin(), availableIDs.cend()));
    if (m_fullScreenVisibilityMonitor)
        m_fullScreenVisibilityMonitor->refreshNow();
}

std::optional<QString> NotchController::resolvedOpenDisplayID(const std::optional<QString> &requested) const
{
    const auto usable = [this](const QString &id) {
        return m_windows.contains(id) && !m_fullScreenCoveredDisplayIDs.contains(id);
    };
    if (requested && usable(*requested))
        return requested;
    for (const QString &id : m_attachedDisplayOrder) {
        if (usable(id) && isNotched(id))
            return id;
    }
    const QList<NotchDisplay> all = displays();
    for (const NotchDisplay &display : all) {
        if (m_hiddenNotchTriggerDisplayIDs.contains(display.id) && usable(display.id))
            return display.id;
    }
    if (!all.isEmpty() && usable(all.first().id))
        return all.first().id;
    for (const QString &id : m_attachedDisplayOrder) {
        if (usable(id))
            return id;
    }
    return std::nullopt;
}

std::optional<QString> NotchController::prepareTransientWindowForOpen(const std::optional<QString> &requested)
{
    if (!m_settings.displayAttachmentSelection().isDisabled())
        return std::nullopt;
    const QList<NotchDisplay> all = displays();
    QStringList availableIDs;
    for (const NotchDisplay &display : all)
        availableIDs.append(display.id);
    const std::optional<QString> id = DisplayAttachmentSelection::transientPanelDisplayID(
        requested, availableIDs, defaultDisplayID(all), m_fullScreenCoveredDisplayIDs);
    if (!id)
        return std::nullopt;
    return prepareTransientWindow(*id);
}

std::optional<QString> NotchController::prepareTransientWindow(const QString &displayID)
{
    if (m_fullScreenCoveredDisplayIDs.contains(displayID) || !display(displayID))
        return std::nullopt;
    WindowEntry &entry = takeOrMakeWindow(displayID);
    m_transientDisplayIDs.insert(displayID);
    recomputeContentHeight(displayID);
    entry.window->setFrame(closedFrame(displayID));
    return displayID;
}

void NotchController::returnToClosed(const QString &displayID)
{
    auto entry = m_windows.find(displayID);
    if (entry == m_windows.end())
        return;
    entry->second.window->setFrame(closedFrame(displayID));
    if (m_fullScreenCoveredDisplayIDs.contains(displayID))
        entry->second.window->orderOut();
    else
        entry->second.window->orderFront();
}

// ---------------------------------------------------------------- open and close

void NotchController::open(const QString &displayID, bool prioritizingRequestedDisplay)
{
    const std::optional<QString> requested =
        displayID.isEmpty() ? std::nullopt : std::optional<QString>(displayID);
    std::optional<QString> id;
    if (prioritizingRequestedDisplay && requested) {
        QStringList availableIDs;
        for (const NotchDisplay &display : displays())
            availableIDs.append(display.id);
        id = DisplayAttachmentSelection::shortcutPanelDisplayID(requested, availableIDs,
                                                                m_fullScreenCoveredDisplayIDs);
        if (!id)
            return;
        if (!m_windows.contains(*id))
            id = prepareTransientWindow(*id);
    } else {
        id = resolvedOpenDisplayID(requested);
        if (!id)
            id = prepareTransientWindowForOpen(requested);
    }
    if (!id || m_fullScreenCoveredDisplayIDs.contains(*id) || !m_windows.contains(*id))
        return;
    if (isOpenOn(*id))
        return;

    if (m_isOpen && m_activeDisplayID) {
        const QString previous = *m_activeDisplayID;
        if (m_transientDisplayIDs.contains(previous))
            removeWindow(previous);
        else
            returnToClosed(previous);
    }

    const bool wasOpen = m_isOpen;
    m_openedByDrag = false;
    setOpenState(true, id);
    setPanelWidth(clampedPanelWidth(m_settings.panelWidth()));

    recomputeContentHeight(*id);
    WindowEntry &entry = m_windows.at(*id);
    entry.window->setFrame(openFrame(*id).value_or(QRectF()));
    entry.window->makeKeyAndOrderFront();

    if (!wasOpen)
        installMonitors();
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
    endPanelResize();

    const std::optional<QString> id = m_activeDisplayID;
    const bool remove = id && (removingActiveWindow || m_transientDisplayIDs.contains(*id));
    if (remove) {
        if (NotchWindowing *w = window(*id))
            w->orderOut();
    }

    setOpenState(false, std::nullopt);
    setDropTargeted(false);
    m_openedByDrag = false;
    removeMonitors();
    m_draftModel->setDraft(QString());
    m_draftModel->setTyping(false);
    m_selection->reset();
    m_search->dismiss();
    setShowingTrash(false);

    if (!id)
        return;
    if (remove)
        removeWindow(*id);
    else
        returnToClosed(*id);
}

void NotchController::scheduleAutoClose()
{
    m_clock->runAfter(autoCloseDelay, this, [this] { close(false); });
}

void NotchController::windowDidLoseFocus(const QString &displayID)
{
    // Without the raw button monitor, focus going elsewhere is the outside click.
    if ((!m_outsideClickMonitor || !m_outsideClickMonitor->isAvailable()) && isOpenOn(displayID))
        close(false);
}

void NotchController::installMonitors()
{
    if (m_outsideClickMonitor)
        m_outsideClickMonitor->start();
}

void NotchController::removeMonitors()
{
    if (m_outsideClickMonitor)
        m_outsideClickMonitor->stop();
}

void NotchController::handleOutsidePress(const QPoint &rootPosition)
{
    if (!m_isOpen)
        return;
    // Presses on any of Holdra's own windows are theirs to handle: a click on
    // another capsule moves the panel there instead of closing it, and the
    // settings and preview windows are Holdra too. A press in the open panel's
    // cut-away corner went to the window below and counts as outside.
    const QPointF point = NotchDisplay::logicalPoint(displays(), QPointF(rootPosition)).value_or(QPointF(rootPosition));
    bool inCutAwayCorner = false;
    for (const auto &[id, entry] : m_windows) {
        if (entry.window->covers(point))
            return;
        inCutAwayCorner = inCutAwayCorner || entry.window->frame().contains(point);
    }
    const QList<QWindow *> windows = inCutAwayCorner ? QList<QWindow *>() : QGuiApplication::topLevelWindows();
    for (const QWindow *window : windows) {
        if (window->isVisible() && QRectF(window->frameGeometry()).contains(point))
            return;
    }
    close(false);
}

// ---------------------------------------------------------------- full screen

void NotchController::applyFullScreenCoverage(const QSet<QString> &covered)
{
    const QSet<QString> effective = m_allowsFullScreenPresentation ? QSet<QString>() : covered;
    if (effective == m_fullScreenCoveredDisplayIDs)
        return;
    const QSet<QString> previous = std::exchange(m_fullScreenCoveredDisplayIDs, effective);
    if (m_activeDisplayID && effective.contains(*m_activeDisplayID))
        close(false);
    for (const auto &[id, entry] : m_windows) {
        if (effective.contains(id))
            entry.window->orderOut();
        else if (previous.contains(id))
            entry.window->orderFront();
    }
}

void NotchController::applyFullScreenPreference(bool enabled)
{
    m_allowsFullScreenPresentation = enabled;
    if (enabled) {
        m_fullScreenCoveredDisplayIDs.clear();
        for (const auto &[id, entry] : m_windows)
            entry.window->orderFront();
    } else if (m_fullScreenVisibilityMonitor) {
        m_fullScreenVisibilityMonitor->refreshNow();
    }
}

// ---------------------------------------------------------------- panel size

double NotchController::clampedPanelWidth(double width) const
{
    const std::optional<QString> reference = m_activeDisplayID ? m_activeDisplayID : resolvedOpenDisplayID(std::nullopt);
    const std::optional<NotchMetrics> m = reference ? metrics(*reference) : std::nullopt;
    if (!m)
        return std::clamp(width, minimumPanelWidth, maximumPanelWidth);
    const double upper = std::min(std::max(m->screenFrame().width() - displaySideMargins, 0.0), maximumPanelWidth);
    const double lower = std::min(std::max(m->hasNotch() ? m->notchWidth() + notchPanelMargin : 0.0,
                                           minimumPanelWidth),
                                  upper);
    return std::min(std::max(width, lower), upper);
}

void NotchController::setPanelWidth(double width)
{
    if (m_panelWidth == width)
        return;
    m_panelWidth = width;
    Q_EMIT panelWidthChanged();
}

void NotchController::applyPanelWidth(double width, bool persist)
{
    const double clamped = clampedPanelWidth(width);
    if (clamped != m_panelWidth) {
        setPanelWidth(clamped);
        if (m_isOpen && m_activeDisplayID) {
            if (NotchWindowing *w = window(*m_activeDisplayID))
                w->setFrame(openFrame(*m_activeDisplayID).value_or(QRectF()));
        }
    }
    if (persist)
        m_settings.setPanelWidth(clamped);
}

void NotchController::stepPanelWidth(double step)
{
    applyPanelWidth(m_panelWidth + step, true);
}

void NotchController::beginPanelResize(ResizeEdge edge, double mouseScreenX)
{
    if (!m_isOpen)
        return;
    const bool wasResizing = isResizingPanel();
    m_resizeEdge = edge;
    m_resizeStartWidth = m_panelWidth;
    m_resizeStartMouseX = mouseScreenX;
    if (!wasResizing)
        Q_EMIT isResizingPanelChanged();
}

void NotchController::updatePanelResize(double mouseScreenX)
{
    if (!m_isOpen || !m_resizeEdge || !m_resizeStartWidth || !m_resizeStartMouseX)
        return;
    const double delta = *m_resizeEdge == ResizeEdge::Trailing ? mouseScreenX - *m_resizeStartMouseX
                                                               : *m_resizeStartMouseX - mouseScreenX;
    // The panel stays centred, so each edge moves by delta.
    applyPanelWidth(*m_resizeStartWidth + 2 * delta, false);
}

void NotchController::endPanelResize()
{
    if (!m_resizeStartWidth)
        return;
    m_resizeEdge.reset();
    m_resizeStartWidth.reset();
    m_resizeStartMouseX.reset();
    m_settings.setPanelWidth(m_panelWidth);
    Q_EMIT isResizingPanelChanged();
}

void NotchController::handleDraftDidChange()
{
    if (!m_isOpen || !m_activeDisplayID || !m_windows.contains(*m_activeDisplayID))
        return;
    recomputeContentHeight(*m_activeDisplayID);
    m_windows.at(*m_activeDisplayID).window->setFrame(openFrame(*m_activeDisplayID).value_or(QRectF()));
}

// ---------------------------------------------------------------- keys

bool NotchController::handleKey(int key, int modifiers, const QString &text)
{
    if (!m_isOpen)
        return false;
    const Qt::KeyboardModifiers mods = Qt::KeyboardModifiers(modifiers) & ~Qt::KeypadModifier;
    // Escape first stops copies under way, deleting what they made so far.
    if (key == Qt::Key_Escape && mods == Qt::NoModifier && m_importJob && m_importJob->isBusy()) {
        m_importJob->cancel();
        return true;
    }
    if (m_draftModel->isTyping())
        return handleFieldKey(key, mods);
    return handleCommandKey(key, mods) || handleListKey(key, mods, text);
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
        submitDraft();
        return true;
    }
    return false;
}

bool NotchController::handleCommandKey(int key, Qt::KeyboardModifiers mods)
{
    const bool plain = mods == Qt::NoModifier;
    const bool ctrl = mods == Qt::ControlModifier;
    if (key == Qt::Key_Escape && plain) {
        if (m_search->dismiss())
            return true;
        if (m_selection->count() == 0)
            close(false);
        else
            clearSelection();
        return true;
    }
    if (ctrl && key == Qt::Key_A) {
        selectAll();
        return true;
    }
    if (ctrl && key == Qt::Key_F && !m_isShowingTrash) {
        m_search->begin();
        return true;
    }
    if (ctrl && key == Qt::Key_C) {
        copySelection();
        return true;
    }
    if (ctrl && key == Qt::Key_V) {
        handlePaste();
        return true;
    }
    if (ctrl && key == Qt::Key_Comma) {
        Q_EMIT settingsRequested();
        return true;
    }
    if (ctrl && key == Qt::Key_Q) {
        Q_EMIT quitRequested();
        return true;
    }
    if ((key == Qt::Key_Backspace || key == Qt::Key_Delete) && plain && m_selection->count() > 0) {
        deleteSelection();
        return true;
    }
    return false;
}

bool NotchController::handleListKey(int key, Qt::KeyboardModifiers mods, const QString &text)
{
    if (m_isShowingTrash)
        return false;
    const bool plain = mods == Qt::NoModifier;
    const bool extend = mods == Qt::ShiftModifier;
    if (plain || extend) {
        const QList<StashItem> order = m_search->visibleItems(m_store.items());
        switch (key) {
        case Qt::Key_Up: return m_selection->moveBy(order, -1, extend);
        case Qt::Key_Down: return m_selection->moveBy(order, 1, extend);
        case Qt::Key_PageUp: return m_selection->moveBy(order, -m_listPageRows, extend);
        case Qt::Key_PageDown: return m_selection->moveBy(order, m_listPageRows, extend);
        case Qt::Key_Home: return m_selection->moveToEdge(order, false, extend);
        case Qt::Key_End: return m_selection->moveToEdge(order, true, extend);
        default: break;
        }
    }
    // The keyboard's row, or the one row selected some other way.
    QString current = m_selection->current() ? idText(*m_selection->current()) : QString();
    if (current.isEmpty() && m_selection->count() == 1)
        current = idText(*m_selection->ids().cbegin());
    if (plain && (key == Qt::Key_Return || key == Qt::Key_Enter) && !current.isEmpty()) {
        activateItem(current);
        return true;
    }
    if (plain && key == Qt::Key_Space && !current.isEmpty()) {
        performPrimaryAction(current);
        return true;
    }
    if (key == Qt::Key_Tab && plain) {
        Q_EMIT quickEntryFocusRequested();
        return true;
    }
    // A character typed on the list goes on the open search, or starts a quick entry.
    const bool typing = (mods & ~Qt::ShiftModifier) == Qt::NoModifier && !text.isEmpty()
                        && text.at(0).isPrint() && !text.at(0).isSpace();
    if (typing && m_search->isActive()) {
        m_search->setQuery(m_search->query() + text);
        m_search->begin();
        return true;
    }
    if (typing) {
        m_draftModel->setDraft(m_draftModel->draft() + text);
        Q_EMIT quickEntryFocusRequested();
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- selection and actions

std::optional<StashItem> NotchController::activeItem(const QString &itemID) const
{
    const std::optional<QUuid> id = parsedID(itemID);
    if (!id)
        return std::nullopt;
    for (const StashItem &item : m_store.items()) {
        if (item.id() == *id)
            return item;
    }
    return std::nullopt;
}

QList<StashItem> NotchController::activeItems(const QStringList &itemIDs) const
{
    QSet<QUuid> ids;
    for (const QString &text : itemIDs) {
        if (const std::optional<QUuid> id = parsedID(text))
            ids.insert(*id);
    }
    QList<StashItem> items;
    for (const StashItem &item : m_store.items()) {
        if (ids.contains(item.id()))
            items.append(item);
    }
    return items;
}

QList<StashItem> NotchController::selectedItems() const
{
    QList<StashItem> items;
    for (const StashItem &item : m_search->visibleItems(m_store.items())) {
        if (m_selection->contains(item.id()))
            items.append(item);
    }
    return items;
}

void NotchController::selectRow(const QString &itemID, bool additive)
{
    const std::optional<QUuid> id = parsedID(itemID);
    if (!id)
        return;
    if (additive)
        m_selection->toggle(*id);
    else
        m_selection->select(*id);
}

void NotchController::selectRange(const QString &itemID)
{
    if (const std::optional<QUuid> id = parsedID(itemID))
        m_selection->extendTo(m_search->visibleItems(m_store.items()), *id);
}

void NotchController::selectAll()
{
    if (m_isShowingTrash)
        return;
    m_selection->selectAll(m_search->visibleItems(m_store.items()));
}

void NotchController::clearSelection()
{
    m_selection->clear();
}

bool NotchController::isSelected(const QString &itemID) const
{
    const std::optional<QUuid> id = parsedID(itemID);
    return id && m_selection->contains(*id);
}

void NotchController::activateItem(const QString &itemID)
{
    const std::optional<StashItem> item = activeItem(itemID);
    if (!item)
        return;
    if (item->kind() == StashItemKind::audio)
        toggleAudioPlayback(*item);
    else if (item->kind() == StashItemKind::text)
        Q_EMIT previewItemRequested(*item);
    else
        Q_EMIT openItemRequested(*item);
}

void NotchController::performPrimaryAction(const QString &itemID)
{
    const std::optional<StashItem> item = activeItem(itemID);
    if (!item)
        return;
    const bool isFolder = item->kind() == StashItemKind::file
                          && StashItemPresentation::isStoredDirectory(*item, m_store.absolutePath(*item));
    if (item->kind() == StashItemKind::image || (item->kind() == StashItemKind::file && !isFolder))
        Q_EMIT previewItemRequested(*item);
    else
        activateItem(itemID);
}

QList<StashItem> NotchController::effectiveItems(const StashItem &item) const
{
    if (m_selection->contains(item.id()) && m_selection->count() >= 2)
        return selectedItems();
    return {item};
}

QStringList NotchController::effectiveItems(const QString &itemID) const
{
    QStringList ids;
    if (const std::optional<StashItem> item = activeItem(itemID)) {
        for (const StashItem &effective : effectiveItems(*item))
            ids.append(idText(effective.id()));
    }
    return ids;
}

void NotchController::copyItems(const QList<StashItem> &items)
{
    if (items.isEmpty())
        return;
    Q_EMIT copyRequested(items);
    feedback(items.size() == 1 ? QStringLiteral("已复制")
                               : QStringLiteral("已复制 %1 项").arg(countText(items.size())));
}

void NotchController::copyItems(const QStringList &itemIDs)
{
    copyItems(activeItems(itemIDs));
}

void NotchController::copySelection()
{
    const QList<StashItem> items = selectedItems();
    if (items.isEmpty()) {
        beep();
        return;
    }
    Q_EMIT copyRequested(items);
    feedback(QStringLiteral("已复制 %1 项").arg(countText(items.size())));
}

void NotchController::handlePaste()
{
    Q_EMIT pasteRequested();
}

void NotchController::stopPlaybackIfPlayingAny(const QSet<QUuid> &ids)
{
    if (!m_audioPlayer->activeItemID().isNull() && ids.contains(m_audioPlayer->activeItemID()))
        m_audioPlayer->stop();
}

void NotchController::deleteSelection()
{
    if (m_selection->count() == 0)
        return;
    qsizetype locked = 0;
    QSet<QUuid> unlocked;
    for (const StashItem &item : selectedItems()) {
        if (item.locked())
            ++locked;
        else
            unlocked.insert(item.id());
    }
    stopPlaybackIfPlayingAny(unlocked);
    // Only what is shown: a row hidden by the search is never trashed unseen.
    const int removed = m_store.remove(unlocked);
    setSelection({});
    if (locked > 0 && removed == 0)
        feedback(QStringLiteral("所选已锁定，先解锁再删除"), ToastKind::error);
    else if (locked > 0)
        feedback(QStringLiteral("已移入回收站 %1 项，%2 项已锁定").arg(countText(removed), countText(locked)));
    else
        feedback(QStringLiteral("已移入回收站 %1 项").arg(countText(removed)));
}

void NotchController::removeItems(const QList<StashItem> &items)
{
    if (items.isEmpty())
        return;
    // The store's own record decides what is locked; the caller's copy may be stale.
    QSet<QUuid> ids;
    for (const StashItem &item : items)
        ids.insert(item.id());
    qsizetype locked = 0;
    QSet<QUuid> unlocked;
    for (const StashItem &item : m_store.items()) {
        if (!ids.contains(item.id()))
            continue;
        if (item.locked())
            ++locked;
        else
            unlocked.insert(item.id());
    }
    stopPlaybackIfPlayingAny(unlocked);
    const int removed = m_store.remove(ids);
    setSelection(m_selection->ids() - ids);
    if (locked == 0 && removed < 2)
        feedback(QStringLiteral("已移入回收站"));
    else if (locked == 0)
        feedback(QStringLiteral("已移入回收站 %1 项").arg(countText(removed)));
    else if (removed == 0)
        feedback(QStringLiteral("已锁定，先解锁再删除"), ToastKind::error);
    else
        feedback(QStringLiteral("已移入回收站 %1 项，%2 项已锁定").arg(countText(removed), countText(locked)));
}

void NotchController::removeItems(const QStringList &itemIDs)
{
    removeItems(activeItems(itemIDs));
}

void NotchController::toggleLock(const QList<StashItem> &items)
{
    if (items.isEmpty())
        return;
    QSet<QUuid> ids;
    for (const StashItem &item : items)
        ids.insert(item.id());
    bool anyUnlocked = false;
    for (const StashItem &item : m_store.items()) {
        if (ids.contains(item.id()) && !item.locked())
            anyUnlocked = true;
    }
    const bool lock = anyUnlocked;
    m_store.setLocked(lock, ids);
    if (items.size() == 1)
        feedback(lock ? QStringLiteral("已锁定") : QStringLiteral("已解锁"));
    else
        feedback((lock ? QStringLiteral("已锁定 %1 项") : QStringLiteral("已解锁 %1 项")).arg(countText(items.size())));
}

void NotchController::toggleLock(const QStringList &itemIDs)
{
    toggleLock(activeItems(itemIDs));
}

void NotchController::clearAll()
{
    qsizetype locked = 0;
    QSet<QUuid> all;
    QSet<QUuid> unlockedIDs;
    for (const StashItem &item : m_store.items()) {
        all.insert(item.id());
        if (item.locked())
            ++locked;
        else
            unlockedIDs.insert(item.id());
    }
    const qsizetype unlocked = unlockedIDs.size();
    stopPlaybackIfPlayingAny(all);
    m_store.removeAll();
    setSelection(m_selection->ids() - unlockedIDs);
    if (unlocked == 0)
        return;
    if (locked == 0)
        feedback(QStringLiteral("已移入回收站 %1 项").arg(countText(unlocked)));
    else
        feedback(QStringLiteral("已移入回收站 %1 项，%2 项已锁定").arg(countText(unlocked), countText(locked)));
}

void NotchController::showTrash(bool show)
{
    setSelection({});
    setShowingTrash(show);
    if (show)
        m_store.purgeExpiredTrash();
}

void NotchController::restoreAllFromTrash()
{
    QSet<QUuid> ids;
    for (const TrashedItem &entry : m_store.trashItems())
        ids.insert(entry.id());
    reportRestore(m_store.restoreFromTrash(ids));
}

void NotchController::restoreFromTrash(const QStringList &itemIDs)
{
    QSet<QUuid> ids;
    for (const QString &text : itemIDs) {
        if (const std::optional<QUuid> id = parsedID(text))
            ids.insert(*id);
    }
    if (ids.isEmpty())
        return;
    reportRestore(m_store.restoreFromTrash(ids));
}

void NotchController::reportRestore(const TrashRestoreResult &result)
{
    const qsizetype r = result.restored.size();
    const qsizetype d = result.duplicates.size();
    const qsizetype m = result.missingFiles.size();
    if (r > 0 && (d > 0 || m > 0))
        feedback(QStringLiteral("已恢复 %1 项，%2 项重复，%3 项文件缺失").arg(countText(r), countText(d), countText(m)));
    else if (r == 1)
        feedback(QStringLiteral("已恢复到暂存"));
    else if (r > 1)
        feedback(QStringLiteral("已恢复 %1 项到暂存").arg(countText(r)));
    else if (d > 0)
        feedback(QStringLiteral("暂存中已有相同文件，未恢复"), ToastKind::error);
    else if (m > 0)
        feedback(QStringLiteral("原文件已缺失，无法恢复"), ToastKind::error);
}

void NotchController::submitDraft()
{
    const QString draft = m_draftModel->draft();
    const QString trimmed = draft.trimmed();
    if (!trimmed.isEmpty()) {
        try {
            if (WebAddress::fromText(trimmed))
                m_store.addLink(trimmed, std::nullopt);
            else
                m_store.addText(draft);
            feedback(QStringLiteral("已录入"));
        } catch (const FileStorageError &error) {
            showToast(error.errorDescription(), ToastKind::error);
        }
    }
    close(false);
}

void NotchController::openItem(const QString &itemID)
{
    if (const std::optional<StashItem> item = activeItem(itemID))
        Q_EMIT openItemRequested(*item);
}

void NotchController::revealItem(const QString &itemID)
{
    if (const std::optional<StashItem> item = activeItem(itemID))
        Q_EMIT revealItemRequested(*item);
}

void NotchController::previewItem(const QString &itemID)
{
    if (const std::optional<StashItem> item = activeItem(itemID))
        Q_EMIT previewItemRequested(*item);
}

void NotchController::dragItems(const QString &itemID, QObject *source)
{
    if (const std::optional<StashItem> item = activeItem(itemID))
        Q_EMIT dragRequested(effectiveItems(*item), source);
}

void NotchController::drop(const QMimeData &data, const QString &displayID)
{
    // The drag's data is gone once the drop returns: keep a copy for the import.
    auto copy = std::make_shared<QMimeData>();
    const QStringList formats = data.formats();
    for (const QString &format : formats)
        copy->setData(format, data.data(format));
    m_clock->runAfter(Clock::Duration::zero(), this,
                      [this, copy, displayID] { Q_EMIT dropRequested(copy.get(), displayID); });
}

// ---------------------------------------------------------------- messages

void NotchController::setToast(const std::optional<QString> &toast, bool isError)
{
    if (m_toast == toast && m_toastIsError == isError)
        return;
    m_toast = toast;
    m_toastIsError = isError;
    Q_EMIT toastChanged();
}

void NotchController::showToast(const QString &message, ToastKind kind)
{
    if (message.isEmpty())
        return;
    setToast(message, kind == ToastKind::error);
    const quint64 generation = ++m_toastGeneration;
    m_clock->runAfter(toastDuration, this, [this, generation] {
        // The kind stays with the text that fades out.
        if (generation == m_toastGeneration)
            setToast(std::nullopt, m_toastIsError);
    });
}

void NotchController::feedback(const QString &message, ToastKind kind)
{
    if (m_settings.soundFeedback() && m_environment.playSound)
        m_environment.playSound(SystemSound::Sound::Pop);
    showToast(message, kind);
}

void NotchController::beep()
{
    if (m_environment.playSound)
        m_environment.playSound(SystemSound::Sound::Alert);
}

// ---------------------------------------------------------------- companion and recording

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
        beep();
        return;
    }
    Q_EMIT openKelvarnTodayFolderRequested(displayID, m_kelvarnSupportsTargetDisplay);
}

void NotchController::reportKelvarnOpenFailure()
{
    setKelvarnAvailability(false, false);
    beep();
}

void NotchController::toggleRecording(const QString &displayID)
{
    if (!m_recorder)
        return;
    m_recordingDisplayID = displayID;
    if (!m_recorder->isRecording()) {
        m_audioPlayer->stop();
        m_recorder->start();
        return;
    }
    m_recorder->stopAndStash();
}

void NotchController::handleRecordingStashed(const StashItem &item)
{
    feedback(QStringLiteral("已录制 · ") + item.durationText().value_or(QString()));
    open(m_recordingDisplayID, false);
    setSelection({item.id()});
    setScrollTargetItemID(item.id());
    requestScrollToTop();
}

void NotchController::toggleAudioPlayback(const QString &itemID)
{
    if (const std::optional<StashItem> item = activeItem(itemID))
        toggleAudioPlayback(*item);
}

void NotchController::toggleAudioPlayback(const StashItem &item)
{
    if (item.kind() != StashItemKind::audio)
        return;
    if (m_recorder && m_recorder->isRecording()) {
        feedback(QStringLiteral("请先停止录音再播放"), ToastKind::error);
        return;
    }
    const std::optional<QString> path = m_store.absolutePath(item);
    if (!path || !QFileInfo::exists(*path)) {
        feedback(QStringLiteral("录音文件不存在"), ToastKind::error);
        return;
    }
    const QUrl url = QUrl::fromLocalFile(*path);
    const quint64 generation = ++m_playerLoadGeneration;
    auto toggle = [this, id = item.id(), url] {
        if (!m_audioPlayer->toggle(id, url))
            feedback(QStringLiteral("无法播放这段录音"), ToastKind::error);
    };
    // Pausing and resuming the loaded item need no new player.
    if (m_audioPlayer->isActive(item.id()) || !m_environment.loadAudioPlayer) {
        toggle();
        return;
    }
    m_environment.loadAudioPlayer(url, this, [this, generation, toggle](std::unique_ptr<AudioPlaying> player) {
        if (generation != m_playerLoadGeneration)
            return; // another row was pressed meanwhile
        if (m_recorder && m_recorder->isRecording())
            return;
        m_loadedPlayer = std::move(player);
        toggle();
        m_loadedPlayer.reset();
    });
}

} // namespace holdra
