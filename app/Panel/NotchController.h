#pragma once

#include "Audio/AudioPlaybackController.h"
#include "Models/DraftModel.h"
#include "Panel/NotchDisplay.h"
#include "Panel/NotchWindowManager.h"
#include "Panel/NotchWindowing.h"
#include "Panel/PanelGeometry.h"
#include "Panel/PanelSearch.h"
#include "Panel/PanelSelection.h"
#include "Panel/StashActions.h"
#include "Panel/StashItemListModel.h"
#include "Panel/ToastPresenter.h"
#include "Panel/TrashItemListModel.h"
#include "Panel/VoiceNoteController.h"
#include "Platform/SystemSound.h"
#include "Settings/AppSettings.h"
#include "Store/ImportJob.h"
#include "Store/StashStore.h"
#include "Support/Clock.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <memory>
#include <optional>

namespace holdra {

class WindowListSource;
class OutsideClickMonitor;

// The application's central object: whether and where the panel is open, the
// trash view, the panel's keys and the companion application, and the small
// parts it wires together: the windows of the displays, the panel's width, the
// selection, the actions on the stash, the toasts and the voice notes. Views
// read its properties and parts and call their operations; item identifiers
// cross to QML as upper-case UUID strings. Main thread only.
class NotchController : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The application creates the one controller.")

    Q_PROPERTY(bool isOpen READ isOpen NOTIFY isOpenChanged)
    // Empty while the panel is closed.
    Q_PROPERTY(QString activeDisplayID READ activeDisplayIDText NOTIFY activeDisplayIDChanged)
    // A drag is over the open panel; written by the panel's drop area.
    Q_PROPERTY(bool isDropTargeted READ isDropTargeted WRITE setDropTargeted NOTIFY isDropTargetedChanged)
    // Rows in one page of the list, for PageUp and PageDown; written by the list.
    Q_PROPERTY(int listPageRows READ listPageRows WRITE setListPageRows)
    Q_PROPERTY(bool isShowingTrash READ isShowingTrash NOTIFY isShowingTrashChanged)
    Q_PROPERTY(bool canOpenKelvarnTodayFolder READ canOpenKelvarnTodayFolder NOTIFY canOpenKelvarnTodayFolderChanged)
    Q_PROPERTY(
        QStringList visibleCapsuleDisplayIDs READ visibleCapsuleDisplayIDs NOTIFY visibleCapsuleDisplayIDsChanged)

    // The parts, each with one job; they live as long as the controller.
    Q_PROPERTY(holdra::ToastPresenter *toasts READ toasts CONSTANT)
    Q_PROPERTY(holdra::PanelSelection *selection READ selection CONSTANT)
    Q_PROPERTY(holdra::StashActions *actions READ actions CONSTANT)
    Q_PROPERTY(holdra::PanelGeometry *geometry READ geometry CONSTANT)
    Q_PROPERTY(holdra::VoiceNoteController *voiceNotes READ voiceNotes CONSTANT)
    // The panel's lists: opening the panel builds no rows.
    Q_PROPERTY(holdra::StashItemListModel *stashItems READ stashItems CONSTANT)
    Q_PROPERTY(holdra::TrashItemListModel *trashItems READ trashItems CONSTANT)
    // The filter field and the rows it lets through.
    Q_PROPERTY(holdra::PanelSearch *search READ search CONSTANT)

    // The shared objects, so that a view needs only the controller and its display.
    Q_PROPERTY(holdra::StashStore *store READ storeObject CONSTANT)
    Q_PROPERTY(holdra::AppSettings *settings READ settingsObject CONSTANT)
    Q_PROPERTY(holdra::DraftModel *draftModel READ draftModelObject CONSTANT)
    // False in builds without the update check (HOLDRA_UPDATE_CHECK=OFF).
    Q_PROPERTY(bool updateCheckAvailable READ updateCheckAvailable CONSTANT)
    // The copies under way (busy, progress), for the capsule's and the panel's bar.
    Q_PROPERTY(holdra::ImportJob *importJob READ importJob CONSTANT)

public:
    // Windows are made while the controller builds them, its constructor included.
    using WindowFactory =
        std::function<std::unique_ptr<NotchWindowing>(NotchController &controller, const QString &displayID)>;

    // What the controller needs from the system; tests hand in fakes.
    struct Environment
    {
        // The connected displays, in system order with the primary display first
        // (the application's DisplayWatcher); none when empty.
        std::function<QList<NotchDisplay>()> displays;
        // Makes the window of a display; required.
        WindowFactory makeWindow;
        // Times the toast and the close after a drop; the controller's own
        // SystemClock when null. Must outlive the controller.
        Clock *clock = nullptr;
        ToastPresenter::SoundPlayer playSound;
        VoiceNoteController::PlayerLoader loadAudioPlayer;
        // Makes, on a worker thread, the window list that full-screen detection
        // follows; no detection when empty.
        std::function<std::unique_ptr<WindowListSource>()> windowList;
        qint32 ownPid = 0;
        // Makes the monitor whose presses anywhere on the display close the
        // open panel; focus loss alone closes it when empty.
        std::function<OutsideClickMonitor *(QObject *parent)> outsideClicks;
    };

    static constexpr Clock::Duration autoCloseDelay{1100};

    // `store` and `settings` must outlive the controller. Builds the windows at once.
    NotchController(StashStore &store, AppSettings &settings, Environment environment, QObject *parent = nullptr);
    ~NotchController() override;

    StashStore &store() const { return m_store; }
    AppSettings &settings() const { return m_settings; }
    DraftModel &draftModel() const { return *m_draftModel; }
    NotchWindowManager &windows() const { return *m_windows; }
    ToastPresenter *toasts() const { return m_toasts; }
    PanelSelection *selection() const { return m_selection; }
    StashActions *actions() const { return m_actions; }
    PanelGeometry *geometry() const { return m_geometry; }
    VoiceNoteController *voiceNotes() const { return m_voiceNotes; }
    StashItemListModel *stashItems() const { return m_stashItems; }
    TrashItemListModel *trashItems() const { return m_trashItems; }
    PanelSearch *search() const { return m_search; }
    ImportJob *importJob() const { return m_importJob; }

    // --- published state
    bool isOpen() const { return m_isOpen; }
    std::optional<QString> activeDisplayID() const { return m_activeDisplayID; }
    bool isDropTargeted() const { return m_isDropTargeted; }
    void setDropTargeted(bool targeted);
    int listPageRows() const { return m_listPageRows; }
    void setListPageRows(int rows) { m_listPageRows = qMax(1, rows); }
    bool isShowingTrash() const { return m_isShowingTrash; }
    bool canOpenKelvarnTodayFolder() const { return m_canOpenKelvarnTodayFolder; }
    QStringList visibleCapsuleDisplayIDs() const { return m_windows->visibleCapsuleDisplayIDs(); }
    bool openedByDrag() const { return m_openedByDrag; }
    bool updateCheckAvailable() const { return HOLDRA_UPDATE_CHECK; }

    // --- opening and closing
    // An empty `displayID` means no request: the usual display is chosen. With
    // `prioritizingRequestedDisplay` (the hot key) it opens there or not at all.
    Q_INVOKABLE void open(const QString &displayID = QString(), bool prioritizingRequestedDisplay = false);
    // A drag entered or dropped on a display's closed area.
    Q_INVOKABLE void openForDrag(const QString &displayID);
    Q_INVOKABLE void close(bool removingActiveWindow = false);
    // isOpen(on:): open, and on this display. (In QML the property `isOpen`
    // shadows a method of the same name.)
    Q_INVOKABLE bool isOpenOn(const QString &displayID) const;
    // The display has a camera housing; the capsule then hangs below it.
    Q_INVOKABLE bool isNotched(const QString &displayID) const { return m_windows->isNotched(displayID); }
    Q_INVOKABLE void showTrash(bool show);
    // Selects `items` and scrolls to the first, the panel opened (e.g. a voice note just stashed).
    void showItems(const QList<StashItem> &items, const QString &displayID = QString());

    // --- keys of the open panel's window
    // The key table of the open panel; true when the key was taken. `text` is
    // what the key types, if anything: a printable character starts quick entry.
    Q_INVOKABLE bool handleKey(int key, int modifiers, const QString &text = QString());

    // --- companion application
    Q_INVOKABLE void refreshKelvarnAvailability();
    void setKelvarnAvailability(bool canOpenTodayFolder, bool supportsTargetDisplay);
    Q_INVOKABLE void openKelvarnTodayFolder(const QString &displayID);
    // The companion refused the folder: the segment goes away until the next check.
    void reportKelvarnOpenFailure();

Q_SIGNALS:
    void isOpenChanged();
    void activeDisplayIDChanged();
    void isDropTargetedChanged();
    void isShowingTrashChanged();
    void canOpenKelvarnTodayFolderChanged();
    void visibleCapsuleDisplayIDsChanged();

    void kelvarnAvailabilityRefreshRequested();
    void openKelvarnTodayFolderRequested(const QString &displayID, bool withTargetDisplay);
    // A key typed on the list, or Tab, hands the keyboard to the quick-entry field.
    void quickEntryFocusRequested();
    // Ctrl+, and Ctrl+Q in the panel, and the header's menu (for desktops without a tray).
    void settingsRequested();
    void quitRequested();
    void updateCheckRequested();

private:
    QString activeDisplayIDText() const { return m_activeDisplayID.value_or(QString()); }
    StashStore *storeObject() const { return &m_store; }
    AppSettings *settingsObject() const { return &m_settings; }
    DraftModel *draftModelObject() const { return m_draftModel; }

    void wireParts();
    std::optional<NotchMetrics> referenceMetrics() const;
    void updatePanelSize();
    void setOpenState(bool open, const std::optional<QString> &displayID);
    void setShowingTrash(bool show);
    void scheduleAutoClose();
    QList<StashItem> shownRows() const;

    bool handleFieldKey(int key, Qt::KeyboardModifiers mods);
    bool handleCommandKey(int key, Qt::KeyboardModifiers mods);
    bool handleMoveKey(int key, Qt::KeyboardModifiers mods);
    bool handleListKey(int key, Qt::KeyboardModifiers mods, const QString &text);
    bool handleEscape();

    StashStore &m_store;
    AppSettings &m_settings;
    std::unique_ptr<Clock> m_ownClock;
    Clock &m_clock;
    DraftModel *m_draftModel;
    ImportJob *m_importJob;
    ToastPresenter *m_toasts;
    PanelSelection *m_selection;
    VoiceNoteController *m_voiceNotes;
    StashActions *m_actions;
    PanelGeometry *m_geometry;
    StashItemListModel *m_stashItems;
    TrashItemListModel *m_trashItems;
    PanelSearch *m_search;
    // The windows, whose views read everything above; they go first.
    std::unique_ptr<NotchWindowManager> m_windows;

    bool m_isOpen = false;
    std::optional<QString> m_activeDisplayID;
    bool m_isDropTargeted = false;
    bool m_openedByDrag = false;
    int m_listPageRows = 8;
    bool m_isShowingTrash = false;
    bool m_canOpenKelvarnTodayFolder = false;
    bool m_kelvarnSupportsTargetDisplay = false;
};

} // namespace holdra
