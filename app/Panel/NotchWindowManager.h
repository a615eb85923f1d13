#pragma once

#include "Notch/NotchMetrics.h"
#include "Panel/NotchDisplay.h"
#include "Panel/NotchWindowing.h"
#include "Settings/DisplayAttachmentSelection.h"

#include <QList>
#include <QObject>
#include <QPoint>
#include <QSet>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class QScreen;

namespace holdra {

class AppSettings;
class FullScreenVisibilityMonitor;
class WindowListSource;
class OutsideClickMonitor;

// The windows of the displays: one per attached display (the capsule, or an
// invisible trigger under a notch), plus a transient one while the panel is
// open on a display without a capsule. It follows the display list, the
// attachment setting and other programs' full-screen windows, places every
// window closed or open, and asks for the panel to close when its display
// goes, is covered, or a press lands outside Holdra.
class NotchWindowManager : public QObject
{
    Q_OBJECT

public:
    using WindowFactory = std::function<std::unique_ptr<NotchWindowing>(const QString &displayID)>;

    struct Environment
    {
        // The connected displays, the primary one first.
        std::function<QList<NotchDisplay>()> displays;
        WindowFactory makeWindow;
        // Makes, on a worker thread, the window list that full-screen detection
        // follows; no detection when empty.
        std::function<std::unique_ptr<WindowListSource>()> windowList;
        qint32 ownPid = 0;
    };

    // `settings` must outlive the manager; `outsideClicks` (may be null) is
    // started while the panel is open.
    NotchWindowManager(AppSettings &settings, Environment environment, OutsideClickMonitor *outsideClicks,
                       QObject *parent = nullptr);
    ~NotchWindowManager() override;
    // Places the first windows and starts following full-screen windows.
    void start();

    // --- displays
    // Two displays reporting one identifier: the first one keeps it.
    QList<NotchDisplay> displays() const;
    std::optional<NotchDisplay> display(const QString &displayID) const;
    QScreen *screen(const QString &displayID) const;
    // The display has a camera housing; the capsule then hangs below it.
    bool isNotched(const QString &displayID) const;
    std::optional<NotchMetrics> metrics(const QString &displayID) const;

    // --- windows
    QStringList windowDisplayIDs() const;
    NotchWindowing *window(const QString &displayID) const;
    QStringList attachedDisplayOrder() const { return m_attachedDisplayOrder; }
    QStringList visibleCapsuleDisplayIDs() const { return m_visibleCapsuleDisplayIDs; }
    QSet<QString> fullScreenCoveredDisplayIDs() const { return m_covered; }
    // The window set for `selection` (the settings' value when absent).
    void refreshAttachedWindows(const std::optional<DisplayAttachmentSelection> &selection = std::nullopt);

    // --- the open panel
    // Where a request opens the panel, its window made when it needs a
    // transient one; none when it cannot open. `prioritizing` (the hot key):
    // there or not at all.
    std::optional<QString> displayForOpening(const std::optional<QString> &requested, bool prioritizing);
    // The display the panel opens on when nothing asks for one.
    std::optional<QString> usualDisplay() const { return resolvedOpenDisplayID(std::nullopt); }
    std::optional<QString> openDisplayID() const { return m_openDisplayID; }
    // The panel's window grows on `displayID`; a panel open elsewhere closes there.
    void showOpen(const QString &displayID);
    // Ordered out at once when the open window goes (a transient one, or
    // `removing`); true when it goes. finishClose() then shrinks or removes it.
    bool beginClose(bool removing);
    void finishClose(bool removing);
    // Width and height of the open panel; the open window follows.
    void setPanelSize(const QSizeF &size);
    // The open panel's window lost the keyboard focus to another program.
    void windowDidLoseFocus(const QString &displayID);

    // --- full-screen windows of other programs
    void applyFullScreenCoverage(const QSet<QString> &covered);
    void applyFullScreenPreference(bool enabled);

Q_SIGNALS:
    void visibleCapsuleDisplayIDsChanged();
    // The attached displays changed: the panel's width may need clamping again.
    void attachedDisplaysChanged();
    // The open display went, was covered, or a press fell outside Holdra.
    void closeRequested(bool removingWindow);

private:
    struct DisplaySnapshot
    {
        QList<NotchDisplay> all;
        QStringList ids;
        std::optional<QString> defaultID;
    };
    DisplaySnapshot snapshot() const;
    std::optional<NotchMetrics> metrics(const NotchDisplay &display, const QRectF &primaryGeometry) const;
    QRectF toQt(const QRectF &yUpFrame) const;
    QRectF closedFrame(const QString &displayID) const;
    QRectF openFrame(const QString &displayID) const;
    bool isOpenOn(const QString &displayID) const { return m_openDisplayID == displayID; }

    NotchWindowing &takeOrMakeWindow(const QString &displayID);
    void removeWindow(const QString &displayID);
    void place(const QString &displayID);
    void returnToClosed(const QString &displayID);
    std::optional<QString> resolvedOpenDisplayID(const std::optional<QString> &requested) const;
    std::optional<QString> prepareTransientWindowForOpen(const std::optional<QString> &requested);
    std::optional<QString> prepareTransientWindow(const QString &displayID);
    QSet<QString> targetDisplays(const QStringList &attach, const QStringList &availableIDs) const;
    void setVisibleCapsuleDisplayIDs(const QStringList &ids);
    void handleOutsidePress(const QPoint &rootPosition);
    void startFullScreenDetection();

    AppSettings &m_settings;
    Environment m_environment;
    OutsideClickMonitor *m_outsideClicks;
    FullScreenVisibilityMonitor *m_fullScreenMonitor = nullptr;
    std::map<QString, std::unique_ptr<NotchWindowing>> m_windows;
    std::vector<std::unique_ptr<NotchWindowing>> m_retiredWindows;
    QStringList m_attachedDisplayOrder;
    QStringList m_visibleCapsuleDisplayIDs;
    QSet<QString> m_hiddenNotchTriggerDisplayIDs;
    QSet<QString> m_transientDisplayIDs;
    QSet<QString> m_covered;
    bool m_allowsFullScreenPresentation;
    std::optional<QString> m_openDisplayID;
    QSizeF m_panelSize;
};

} // namespace holdra
