#include "Panel/NotchWindowManager.h"

#include "Desktop/FullScreenVisibilityMonitor.h"
#include "Platform/OutsideClickMonitor.h"
#include "Settings/AppSettings.h"

#include <QGuiApplication>
#include <QPointer>
#include <QWindow>

#include <utility>

namespace holdra {

NotchWindowManager::NotchWindowManager(AppSettings &settings, Environment environment,
                                       OutsideClickMonitor *outsideClicks, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_environment(std::move(environment))
    , m_outsideClicks(outsideClicks)
    , m_allowsFullScreenPresentation(settings.enableInFullScreen())
{
    Q_ASSERT(m_environment.makeWindow);
    if (!m_environment.displays)
        m_environment.displays = [] { return QList<NotchDisplay>(); };
    connect(&m_settings, &AppSettings::displayAttachmentSelectionChanged, this,
            [this](const DisplayAttachmentSelection &selection) { refreshAttachedWindows(selection); });
    connect(&m_settings, &AppSettings::enableInFullScreenChanged, this, &NotchWindowManager::applyFullScreenPreference);
    if (m_outsideClicks)
        connect(m_outsideClicks, &OutsideClickMonitor::buttonPressed, this, &NotchWindowManager::handleOutsidePress);
}

NotchWindowManager::~NotchWindowManager()
{
    m_windows.clear();
    m_retiredWindows.clear();
}

void NotchWindowManager::start()
{
    refreshAttachedWindows();
    if (!m_environment.windowList)
        return;
    QPointer<NotchWindowManager> self(this);
    m_fullScreenMonitor = new FullScreenVisibilityMonitor(
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
    connect(m_fullScreenMonitor, &FullScreenVisibilityMonitor::coverageChanged, this,
            &NotchWindowManager::applyFullScreenCoverage);
    m_fullScreenMonitor->start();
}

// ---------------------------------------------------------------- displays

QList<NotchDisplay> NotchWindowManager::displays() const
{
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

NotchWindowManager::DisplaySnapshot NotchWindowManager::snapshot() const
{
    DisplaySnapshot snapshot;
    snapshot.all = displays();
    for (const NotchDisplay &display : std::as_const(snapshot.all)) {
        snapshot.ids.append(display.id);
        if (!snapshot.defaultID && display.safeAreaTop > 0)
            snapshot.defaultID = display.id;
    }
    // Without a notched display, the primary one, which comes first.
    if (!snapshot.defaultID && !snapshot.ids.isEmpty())
        snapshot.defaultID = snapshot.ids.first();
    return snapshot;
}

std::optional<NotchDisplay> NotchWindowManager::display(const QString &displayID) const
{
    for (const NotchDisplay &display : displays()) {
        if (display.id == displayID)
            return display;
    }
    return std::nullopt;
}

QScreen *NotchWindowManager::screen(const QString &displayID) const
{
    const std::optional<NotchDisplay> found = display(displayID);
    return found ? found->screen : nullptr;
}

bool NotchWindowManager::isNotched(const QString &displayID) const
{
    const std::optional<NotchDisplay> found = display(displayID);
    return found && found->safeAreaTop > 0;
}

std::optional<NotchMetrics> NotchWindowManager::metrics(const NotchDisplay &display,
                                                        const QRectF &primaryGeometry) const
{
    return NotchMetrics(NotchMetrics::fromQtGlobal(display.geometry, primaryGeometry),
                        NotchMetrics::fromQtGlobal(display.availableGeometry, primaryGeometry), display.safeAreaTop,
                        display.auxiliaryTopLeftWidth, display.auxiliaryTopRightWidth);
}

std::optional<NotchMetrics> NotchWindowManager::metrics(const QString &displayID) const
{
    const QList<NotchDisplay> all = displays();
    for (const NotchDisplay &display : all) {
        if (display.id == displayID)
            return metrics(display, all.first().geometry);
    }
    return std::nullopt;
}

QRectF NotchWindowManager::toQt(const QRectF &yUpFrame) const
{
    const QList<NotchDisplay> all = displays();
    return all.isEmpty() ? yUpFrame : NotchMetrics::toQtGlobal(yUpFrame, all.first().geometry);
}

QRectF NotchWindowManager::closedFrame(const QString &displayID) const
{
    const std::optional<NotchMetrics> m = metrics(displayID);
    if (!m)
        return {};
    return toQt(m->closedFrame(NotchMetrics::closedFallbackWidth, NotchMetrics::interactiveBandBelowNotch));
}

QRectF NotchWindowManager::openFrame(const QString &displayID) const
{
    const std::optional<NotchMetrics> m = metrics(displayID);
    if (!m_windows.contains(displayID) || !m)
        return {};
    return toQt(m->openFrame(m_panelSize.width(), m_panelSize.height()));
}

// ---------------------------------------------------------------- windows

QStringList NotchWindowManager::windowDisplayIDs() const
{
    QStringList ids;
    for (const auto &[id, window] : m_windows)
        ids.append(id);
    return ids;
}

NotchWindowing *NotchWindowManager::window(const QString &displayID) const
{
    const auto found = m_windows.find(displayID);
    return found == m_windows.end() ? nullptr : found->second.get();
}

NotchWindowing &NotchWindowManager::takeOrMakeWindow(const QString &displayID)
{
    auto found = m_windows.find(displayID);
    if (found == m_windows.end())
        found = m_windows.emplace(displayID, m_environment.makeWindow(displayID)).first;
    return *found->second;
}

void NotchWindowManager::removeWindow(const QString &displayID)
{
    auto found = m_windows.find(displayID);
    if (found != m_windows.end()) {
        std::unique_ptr<NotchWindowing> window = std::move(found->second);
        m_windows.erase(found);
        window->orderOut();
        // The removal may come from a handler of that very window's view (its
        // close button): the window goes once the event is delivered.
        m_retiredWindows.push_back(std::move(window));
        QMetaObject::invokeMethod(
            this, [this] { m_retiredWindows.clear(); }, Qt::QueuedConnection);
    }
    m_transientDisplayIDs.remove(displayID);
    m_attachedDisplayOrder.removeAll(displayID);
}

void NotchWindowManager::place(const QString &displayID)
{
    NotchWindowing &window = takeOrMakeWindow(displayID);
    window.setFrame(isOpenOn(displayID) ? openFrame(displayID) : closedFrame(displayID));
    if (m_covered.contains(displayID))
        window.orderOut();
    else
        window.orderFront();
}

void NotchWindowManager::returnToClosed(const QString &displayID)
{
    if (m_windows.contains(displayID))
        place(displayID);
}

void NotchWindowManager::setVisibleCapsuleDisplayIDs(const QStringList &ids)
{
    if (m_visibleCapsuleDisplayIDs == ids)
        return;
    m_visibleCapsuleDisplayIDs = ids;
    Q_EMIT visibleCapsuleDisplayIDsChanged();
}

QSet<QString> NotchWindowManager::targetDisplays(const QStringList &attach, const QStringList &availableIDs) const
{
    QSet<QString> target(attach.cbegin(), attach.cend());
    // A transient panel stays while it is open and its display is there.
    if (m_openDisplayID && m_transientDisplayIDs.contains(*m_openDisplayID) && availableIDs.contains(*m_openDisplayID))
        target.insert(*m_openDisplayID);
    return target;
}

void NotchWindowManager::refreshAttachedWindows(const std::optional<DisplayAttachmentSelection> &requestedSelection)
{
    const DisplaySnapshot displays = snapshot();
    const DisplayAttachmentSelection selection = requestedSelection.value_or(m_settings.displayAttachmentSelection());
    const QStringList resolved = selection.resolvedIDs(displays.ids, displays.defaultID);
    QSet<QString> notched;
    for (const NotchDisplay &display : displays.all) {
        if (metrics(display, displays.all.first().geometry)->hasNotch())
            notched.insert(display.id);
    }
    const QStringList hidden = selection.hiddenNotchTriggerIDs(displays.ids, notched);
    const QSet<QString> previousHidden =
        std::exchange(m_hiddenNotchTriggerDisplayIDs, QSet<QString>(hidden.cbegin(), hidden.cend()));
    setVisibleCapsuleDisplayIDs(resolved);

    const QStringList attach = resolved + hidden;
    const QSet<QString> target = targetDisplays(attach, displays.ids);
    if (m_openDisplayID && !target.contains(*m_openDisplayID))
        Q_EMIT closeRequested(selection.isDisabled() || previousHidden.contains(*m_openDisplayID));
    for (const QString &id : windowDisplayIDs()) {
        if (!target.contains(id))
            removeWindow(id);
    }
    m_attachedDisplayOrder = resolved;
    Q_EMIT attachedDisplaysChanged();

    QStringList placing = attach;
    for (const QString &id : target) {
        if (!attach.contains(id))
            placing.append(id);
    }
    for (const QString &id : std::as_const(placing)) {
        if (!displays.ids.contains(id))
            continue;
        if (attach.contains(id))
            m_transientDisplayIDs.remove(id);
        place(id);
    }
    m_covered.intersect(QSet<QString>(displays.ids.cbegin(), displays.ids.cend()));
    if (m_fullScreenMonitor)
        m_fullScreenMonitor->refreshNow();
}

// ---------------------------------------------------------------- the open panel

std::optional<QString> NotchWindowManager::resolvedOpenDisplayID(const std::optional<QString> &requested) const
{
    const auto usable = [this](const QString &id) { return m_windows.contains(id) && !m_covered.contains(id); };
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

std::optional<QString> NotchWindowManager::prepareTransientWindowForOpen(const std::optional<QString> &requested)
{
    if (!m_settings.displayAttachmentSelection().isDisabled())
        return std::nullopt;
    const DisplaySnapshot displays = snapshot();
    const std::optional<QString> id =
        DisplayAttachmentSelection::transientPanelDisplayID(requested, displays.ids, displays.defaultID, m_covered);
    if (!id)
        return std::nullopt;
    return prepareTransientWindow(*id);
}

std::optional<QString> NotchWindowManager::prepareTransientWindow(const QString &displayID)
{
    if (m_covered.contains(displayID) || !display(displayID))
        return std::nullopt;
    NotchWindowing &window = takeOrMakeWindow(displayID);
    m_transientDisplayIDs.insert(displayID);
    window.setFrame(closedFrame(displayID));
    return displayID;
}

std::optional<QString> NotchWindowManager::displayForOpening(const std::optional<QString> &requested, bool prioritizing)
{
    std::optional<QString> id;
    if (prioritizing && requested) {
        id = DisplayAttachmentSelection::shortcutPanelDisplayID(requested, snapshot().ids, m_covered);
        if (id && !m_windows.contains(*id))
            id = prepareTransientWindow(*id);
    } else {
        id = resolvedOpenDisplayID(requested);
        if (!id)
            id = prepareTransientWindowForOpen(requested);
    }
    if (!id || m_covered.contains(*id) || !m_windows.contains(*id))
        return std::nullopt;
    return id;
}

void NotchWindowManager::showOpen(const QString &displayID)
{
    const std::optional<QString> previous = std::exchange(m_openDisplayID, displayID);
    if (previous && *previous != displayID) {
        if (m_transientDisplayIDs.contains(*previous))
            removeWindow(*previous);
        else
            returnToClosed(*previous);
    }
    NotchWindowing &window = *m_windows.at(displayID);
    window.setFrame(openFrame(displayID));
    window.makeKeyAndOrderFront();
    if (!previous && m_outsideClicks)
        m_outsideClicks->start();
}

bool NotchWindowManager::beginClose(bool removing)
{
    if (!m_openDisplayID)
        return false;
    const bool goes = removing || m_transientDisplayIDs.contains(*m_openDisplayID);
    if (NotchWindowing *open = window(*m_openDisplayID); open && goes)
        open->orderOut();
    return goes;
}

void NotchWindowManager::finishClose(bool removing)
{
    const std::optional<QString> id = std::exchange(m_openDisplayID, std::nullopt);
    if (m_outsideClicks)
        m_outsideClicks->stop();
    if (!id)
        return;
    if (removing)
        removeWindow(*id);
    else
        returnToClosed(*id);
}

void NotchWindowManager::setPanelSize(const QSizeF &size)
{
    if (m_panelSize == size)
        return;
    m_panelSize = size;
    if (m_openDisplayID) {
        if (NotchWindowing *open = window(*m_openDisplayID))
            open->setFrame(openFrame(*m_openDisplayID));
    }
}

void NotchWindowManager::windowDidLoseFocus(const QString &displayID)
{
    // Without the raw button monitor, focus going elsewhere is the outside click.
    if ((!m_outsideClicks || !m_outsideClicks->isAvailable()) && isOpenOn(displayID))
        Q_EMIT closeRequested(false);
}

void NotchWindowManager::handleOutsidePress(const QPoint &rootPosition)
{
    if (!m_openDisplayID)
        return;
    // Presses on any of Holdra's own windows are theirs to handle: a click on
    // another capsule moves the panel there instead of closing it, and the
    // settings and preview windows are Holdra too. A press in the open panel's
    // cut-away corner went to the window below and counts as outside.
    const QPointF point = NotchDisplay::logicalPoint(displays(), QPointF(rootPosition)).value_or(QPointF(rootPosition));
    bool inCutAwayCorner = false;
    for (const auto &[id, window] : m_windows) {
        if (window->covers(point))
            return;
        inCutAwayCorner = inCutAwayCorner || window->frame().contains(point);
    }
    const QList<QWindow *> windows = inCutAwayCorner ? QList<QWindow *>() : QGuiApplication::topLevelWindows();
    for (const QWindow *window : windows) {
        if (window->isVisible() && QRectF(window->frameGeometry()).contains(point))
            return;
    }
    Q_EMIT closeRequested(false);
}

// ---------------------------------------------------------------- full screen

void NotchWindowManager::applyFullScreenCoverage(const QSet<QString> &covered)
{
    const QSet<QString> effective = m_allowsFullScreenPresentation ? QSet<QString>() : covered;
    if (effective == m_covered)
        return;
    const QSet<QString> previous = std::exchange(m_covered, effective);
    if (m_openDisplayID && effective.contains(*m_openDisplayID))
        Q_EMIT closeRequested(false);
    for (const auto &[id, window] : m_windows) {
        if (effective.contains(id))
            window->orderOut();
        else if (previous.contains(id))
            window->orderFront();
    }
}

void NotchWindowManager::applyFullScreenPreference(bool enabled)
{
    m_allowsFullScreenPresentation = enabled;
    if (enabled) {
        m_covered.clear();
        // After every window has taken the new stacking hint: shown first, a
        // window would map below the full-screen one and be mapped again.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_allowsFullScreenPresentation)
                    for (const auto &[id, window] : m_windows)
                        window->orderFront();
            },
            Qt::QueuedConnection);
    } else if (m_fullScreenMonitor) {
        m_fullScreenMonitor->refreshNow();
    }
}

} // namespace holdra
