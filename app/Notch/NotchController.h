#pragma once

#include "Audio/AudioPlaybackController.h"
#include "Models/StashItem.h"
#include "Notch/NotchDisplay.h"
#include "Notch/NotchMetrics.h"
#include "Notch/NotchWindowing.h"
#include "Notch/PanelSearch.h"
#include "Notch/PanelSelection.h"
#include "Notch/StashItemListModel.h"
#include "Notch/TrashItemListModel.h"
#include "Platform/SystemSound.h"
#include "Settings/DisplayAttachmentSelection.h"
#include "Store/TrashRestoreResult.h"
#include "Support/Clock.h"

#include <QList>
#include <QMimeData>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QUuid>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>


namespace holdra {

class AppSettings;
class DraftModel;
class ImportJob;
class RecordingController;
class FullScreenVisibilityMonitor;
class WindowListSource;
class StashStore;
class OutsideClickMonitor;

// The application's central object: one window per display that shows the
// capsule (plus invisible notch triggers and windows made for one opening),
// whether and where the panel is open, its width and height, the selection, the
// trash view and the toast. Views read its properties and call its operations;
// item identifiers cross to QML as upper-case UUID strings. Main thread only.
//
// What leaves the stash (copying to the clipboard, pasting, importing drops,
// opening and previewing items, recording, the companion application) is done
// by the objects connected to its request signals.
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
    // Empty when no message is shown.
    Q_PROPERTY(QString toast READ toastText NOTIFY toastChanged)
    // The shown (or last shown) toast tells of something that failed or was refused.
    Q_PROPERTY(bool toastIsError READ toastIsError NOTIFY toastChanged)
    // Built and sorted on every read: for tests and scripts, never for rows.
    Q_PROPERTY(QStringList selection READ selection NOTIFY selectionChanged)
    Q_PROPERTY(int selectionCount READ selectionCount NOTIFY selectionChanged)
    // The selection as the list reads it: one lookup per row.
    Q_PROPERTY(holdra::PanelSelection *rowSelection READ rowSelection CONSTANT)
    // The panel's lists live as long as the controller: opening the panel builds no rows.
    Q_PROPERTY(holdra::StashItemListModel *stashItems READ stashItems CONSTANT)
    Q_PROPERTY(holdra::TrashItemListModel *trashItems READ trashItems CONSTANT)
    // The filter field and the rows it lets through.
    Q_PROPERTY(holdra::PanelSearch *search READ search CONSTANT)
    // Rows in one page of the list, for PageUp and PageDown; written by the list.
    Q_PROPERTY(int listPageRows READ listPageRows WRITE setListPageRows)
    Q_PROPERTY(bool isShowingTrash READ isShowingTrash NOTIFY isShowingTrashChanged)
    Q_PROPERTY(int scrollToTopRequest READ scrollToTopRequest NOTIFY scrollToTopRequestChanged)
    // Empty when no row is to be scrolled to.
    Q_PROPERTY(QString scrollTargetItemID READ scrollTargetItemIDText NOTIFY scrollTargetItemIDChanged)
    Q_PROPERTY(double panelWidth READ panelWidth NOTIFY panelWidthChanged)
    Q_PROPERTY(bool isResizingPanel READ isResizingPanel NOTIFY isResizingPanelChanged)
    Q_PROPERTY(bool canOpenKelvarnTodayFolder READ canOpenKelvarnTodayFolder NOTIFY canOpenKelvarnTodayFolderChanged)
    Q_PROPERTY(QStringList visibleCapsuleDisplayIDs READ visibleCapsuleDisplayIDs NOTIFY visibleCapsuleDisplayIDsChanged)

    // The shared objects, so that a view needs only the controller and its display.
    Q_PROPERTY(QObject *store READ storeObject CONSTANT)
    Q_PROPERTY(QObject *settings READ settingsObject CONSTANT)
    Q_PROPERTY(QObject *draftModel READ draftModelObject CONSTANT)
    Q_PROPERTY(QObject *audioPlayer READ audioPlayerObject CONSTANT)
    // The RecordingController, once one is attached; null before.
    Q_PROPERTY(QObject *recorder READ recorderObject NOTIFY recorderChanged)
    // False in builds without the update check (HOLDRA_UPDATE_CHECK=OFF).
    Q_PROPERTY(bool updateCheckAvailable READ updateCheckAvailable CONSTANT)
    // The copies under way (busy, progress), for the capsule's and the panel's bar.
    Q_PROPERTY(QObject *importJob READ importJobObject NOTIFY importJobChanged)

public:
    enum class ResizeEdge { Leading, Trailing };
    Q_ENUM(ResizeEdge)

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
        std::function<void(SystemSound::Sound)> playSound;
        // Opens an audio file for playing and hands the player (nullptr when the
        // file cannot be played) to the callback, later or at once; nothing is
        // called once `context` is gone.
        std::function<void(const QUrl &fileURL, QObject *context,
                           std::function<void(std::unique_ptr<AudioPlaying>)> loaded)>
            loadAudioPlayer;
        // Makes, on a worker thread, the window list that full-screen detection
        // follows; no detection when empty.
        std::function<std::unique_ptr<WindowListSource>()> windowList;
        qint32 ownPid = 0;
        // Makes the monitor whose presses anywhere on the display close the
        // open panel; focus loss alone closes it when empty.
        std::function<OutsideClickMonitor *(QObject *parent)> outsideClicks;
    };

    static constexpr double closedFallbackWidth = NotchMetrics::closedFallbackWidth;
    static constexpr double interactiveBandBelowNotch = NotchMetrics::interactiveBandBelowNotch;
    static constexpr double panelBaseHeight = 470;
    static constexpr double minimumPanelWidth = 320;
    static constexpr double maximumPanelWidth = 720;
    static constexpr double notchPanelMargin = 96;
    static constexpr double displaySideMargins = 40;
    static constexpr int maximumFieldLines = 8;
    static constexpr Clock::Duration toastDuration{1300};

    // A toast confirms what was done, or tells what failed or was refused.
    enum class ToastKind { done, error };
    static constexpr Clock::Duration autoCloseDelay{1100};

    // `store` and `settings` must outlive the controller. Builds the windows at once.
    NotchController(StashStore &store, AppSettings &settings, Environment environment,
                    QObject *parent = nullptr);
    ~NotchController() override;

    StashStore &store() const { return m_store; }
    AppSettings &settings() const { return m_settings; }
    DraftModel &draftModel() const { return *m_draftModel; }
    AudioPlaybackController &audioPlayer() const { return *m_audioPlayer; }

    // --- published state
    bool isOpen() const { return m_isOpen; }
    std::optional<QString> activeDisplayID() const { return m_activeDisplayID; }
    bool isDropTargeted() const { return m_isDropTargeted; }
    void setDropTargeted(bool targeted);
    std::optional<QString> toast() const { return m_toast; }
    bool toastIsError() const { return m_toastIsError; }
    const QSet<QUuid> &selectionSet() const { return m_selection->ids(); }
    // Upper-case identifiers, sorted.
    QStringList selection() const;
    int selectionCount() const { return m_selection->count(); }
    PanelSelection *rowSelection() const { return m_selection; }
    StashItemListModel *stashItems() const { return m_stashItems; }
    TrashItemListModel *trashItems() const { return m_trashItems; }
    PanelSearch *search() const { return m_search; }
    int listPageRows() const { return m_listPageRows; }
    void setListPageRows(int rows) { m_listPageRows = qMax(1, rows); }
    // Replaces the selection, e.g. with the duplicates an import found.
    void setSelection(const QSet<QUuid> &selection);
    bool isShowingTrash() const { return m_isShowingTrash; }
    int scrollToTopRequest() const { return m_scrollToTopRequest; }
    void requestScrollToTop();
    std::optional<QUuid> scrollTargetItemID() const { return m_scrollTargetItemID; }
    void setScrollTargetItemID(const std::optional<QUuid> &id);
    double panelWidth() const { return m_panelWidth; }
    bool isResizingPanel() const { return m_resizeStartWidth.has_value(); }
    bool canOpenKelvarnTodayFolder() const { return m_canOpenKelvarnTodayFolder; }
    QStringList visibleCapsuleDisplayIDs() const { return m_visibleCapsuleDisplayIDs; }
    RecordingController *recordingController() const { return m_recorder; }
    // Recordings start and stop through toggleRecording(); the recorder must outlive the controller.
    void setRecorder(RecordingController *recorder);

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
    // Closes the panel 1.1 s from now; after a drop that opened it has been imported.
    void scheduleAutoClose();
    // The window set for `selection` (the settings' value when absent). Runs on
    // every stable display configuration and every change of the selection.
    void refreshAttachedWindows(const std::optional<DisplayAttachmentSelection> &selection = std::nullopt);

    // --- displays
    QScreen *screen(const QString &displayID) const;
    // The display has a camera housing; the capsule then hangs below it.
    Q_INVOKABLE bool isNotched(const QString &displayID) const;
    std::optional<NotchMetrics> metrics(const QString &displayID) const;
    QStringList windowDisplayIDs() const;
    QStringList attachedDisplayOrder() const { return m_attachedDisplayOrder; }
    QSet<QString> fullScreenCoveredDisplayIDs() const { return m_fullScreenCoveredDisplayIDs; }
    bool openedByDrag() const { return m_openedByDrag; }
    // The window of a display, if it has one.
    NotchWindowing *window(const QString &displayID) const;

    // --- full-screen windows of other programs
    void applyFullScreenCoverage(const QSet<QString> &covered);
    void applyFullScreenPreference(bool enabled);

    // --- panel size
    Q_INVOKABLE void beginPanelResize(holdra::NotchController::ResizeEdge edge, double mouseScreenX);
    Q_INVOKABLE void updatePanelResize(double mouseScreenX);
    // Mouse up on a resize handle: the width is stored in the settings.
    Q_INVOKABLE void endPanelResize();
    // One keyboard or screen-reader step: clamped like a drag, stored at once.
    Q_INVOKABLE void stepPanelWidth(double step);

    // --- keys and focus of the open panel's window
    // The key table of the open panel; true when the key was taken. `text` is
    // what the key types, if anything: a printable character starts quick entry.
    Q_INVOKABLE bool handleKey(int key, int modifiers, const QString &text = QString());
    // The open panel's window lost the keyboard focus to another program.
    void windowDidLoseFocus(const QString &displayID);

    // --- selection and item actions
    Q_INVOKABLE void selectRow(const QString &itemID, bool additive);
    // Shift+click: the rows from the last clicked (or keyboard) row to this one.
    Q_INVOKABLE void selectRange(const QString &itemID);
    Q_INVOKABLE void selectAll();
    Q_INVOKABLE void clearSelection();
    // Return on a row: plays a voice note, previews a text, opens the rest.
    Q_INVOKABLE void activateItem(const QString &itemID);
    // Space on a row: a look at files and images, otherwise as activateItem.
    Q_INVOKABLE void performPrimaryAction(const QString &itemID);
    Q_INVOKABLE bool isSelected(const QString &itemID) const;
    // The row's item, or the whole selection when the row belongs to one of two or more.
    QList<StashItem> effectiveItems(const StashItem &item) const;
    Q_INVOKABLE QStringList effectiveItems(const QString &itemID) const;
    Q_INVOKABLE void copySelection();
    void copyItems(const QList<StashItem> &items);
    Q_INVOKABLE void copyItems(const QStringList &itemIDs);
    // Ctrl+V in the panel.
    Q_INVOKABLE void handlePaste();
    Q_INVOKABLE void deleteSelection();
    void removeItems(const QList<StashItem> &items);
    Q_INVOKABLE void removeItems(const QStringList &itemIDs);
    void toggleLock(const QList<StashItem> &items);
    Q_INVOKABLE void toggleLock(const QStringList &itemIDs);
    Q_INVOKABLE void clearAll();
    Q_INVOKABLE void showTrash(bool show);
    Q_INVOKABLE void restoreAllFromTrash();
    // Restores trash entries and reports what happened.
    Q_INVOKABLE void restoreFromTrash(const QStringList &itemIDs);
    void reportRestore(const TrashRestoreResult &result);
    Q_INVOKABLE void submitDraft();
    Q_INVOKABLE void openItem(const QString &itemID);
    Q_INVOKABLE void revealItem(const QString &itemID);
    Q_INVOKABLE void previewItem(const QString &itemID);
    // A row is dragged: out go its effective items, from `source` (the row).
    Q_INVOKABLE void dragItems(const QString &itemID, QObject *source);
    // Hands what was dropped on `displayID` to the import, on the next turn of
    // the event loop; the drop itself is accepted at once.
    void drop(const QMimeData &data, const QString &displayID);

    // --- messages
    Q_INVOKABLE void showToast(const QString &message) { showToast(message, ToastKind::done); }
    void showToast(const QString &message, ToastKind kind);
    bool updateCheckAvailable() const { return HOLDRA_UPDATE_CHECK; }
    // The "Pop" sound when the settings want it, then the toast.
    void feedback(const QString &message, ToastKind kind = ToastKind::done);
    // An action refused as a whole.
    void beep();

    // --- companion application and recording
    Q_INVOKABLE void refreshKelvarnAvailability();
    void setKelvarnAvailability(bool canOpenTodayFolder, bool supportsTargetDisplay);
    Q_INVOKABLE void openKelvarnTodayFolder(const QString &displayID);
    // The companion refused the folder: the segment goes away until the next check.
    void reportKelvarnOpenFailure();
    // Starts a voice note, or stops it and shows it in the panel on `displayID`.
    Q_INVOKABLE void toggleRecording(const QString &displayID);
    // The play button of an audio row.
    Q_INVOKABLE void toggleAudioPlayback(const QString &itemID);
    void toggleAudioPlayback(const StashItem &item);

    // Minutes and two-digit seconds, for the recording clock.
    Q_INVOKABLE QString durationText(double seconds) const;

    static QString idText(const QUuid &id);

    // The job whose copies Escape stops; owned elsewhere and outliving this.
    void setImportJob(ImportJob *job);

Q_SIGNALS:
    void isOpenChanged();
    void activeDisplayIDChanged();
    void isDropTargetedChanged();
    void toastChanged();
    void selectionChanged();
    void isShowingTrashChanged();
    void scrollToTopRequestChanged();
    void scrollTargetItemIDChanged();
    void panelWidthChanged();
    void isResizingPanelChanged();
    void canOpenKelvarnTodayFolderChanged();
    void visibleCapsuleDisplayIDsChanged();
    void recorderChanged();
    void importJobChanged();

    // Requests for the objects that reach outside the stash.
    void copyRequested(const QList<holdra::StashItem> &items);
    void pasteRequested();
    // `data` lives only while the signal is delivered.
    void dropRequested(const QMimeData *data, const QString &displayID);
    void openItemRequested(const holdra::StashItem &item);
    void revealItemRequested(const holdra::StashItem &item);
    void previewItemRequested(const holdra::StashItem &item);
    void dragRequested(const QList<holdra::StashItem> &items, QObject *source);
    void kelvarnAvailabilityRefreshRequested();
    void openKelvarnTodayFolderRequested(const QString &displayID, bool withTargetDisplay);
    // A key typed on the list, or Tab, hands the keyboard to the quick-entry field.
    void quickEntryFocusRequested();
    // Ctrl+, and Ctrl+Q in the panel, and the header's menu (for desktops without a tray).
    void settingsRequested();
    void quitRequested();
    void updateCheckRequested();

private:
    struct WindowEntry
    {
        std::unique_ptr<NotchWindowing> window;
        double contentHeight = 0;
    };

    QString activeDisplayIDText() const { return m_activeDisplayID.value_or(QString()); }
    QString toastText() const { return m_toast.value_or(QString()); }
    QString scrollTargetItemIDText() const;
    QObject *storeObject() const;
    QObject *settingsObject() const;
    QObject *draftModelObject() const;
    QObject *audioPlayerObject() const;
    QObject *recorderObject() const;
    QObject *importJobObject() const;
    void handleRecordingStashed(const StashItem &item);

    QList<NotchDisplay> displays() const;
    std::optional<NotchDisplay> display(const QString &displayID) const;
    std::optional<NotchMetrics> metrics(const NotchDisplay &display, const QRectF &primaryGeometry) const;
    std::optional<QString> defaultDisplayID(const QList<NotchDisplay> &displays) const;
    QRectF closedFrame(const QString &displayID) const;
    std::optional<QRectF> openFrame(const QString &displayID) const;
    QRectF toQt(const QRectF &yUpFrame) const;

    WindowEntry &takeOrMakeWindow(const QString &displayID);
    void removeWindow(const QString &displayID);
    void recomputeContentHeight(const QString &displayID);
    std::optional<QString> resolvedOpenDisplayID(const std::optional<QString> &requested) const;
    std::optional<QString> prepareTransientWindowForOpen(const std::optional<QString> &requested);
    std::optional<QString> prepareTransientWindow(const QString &displayID);
    void returnToClosed(const QString &displayID);

    double clampedPanelWidth(double width) const;
    void applyPanelWidth(double width, bool persist);
    void setPanelWidth(double width);
    void handleDraftDidChange();

    bool handleFieldKey(int key, Qt::KeyboardModifiers mods);
    bool handleCommandKey(int key, Qt::KeyboardModifiers mods);
    bool handleListKey(int key, Qt::KeyboardModifiers mods, const QString &text);

    void installMonitors();
    void removeMonitors();
    void handleOutsidePress(const QPoint &rootPosition);

    void setOpenState(bool open, const std::optional<QString> &displayID);
    void setShowingTrash(bool show);
    void setVisibleCapsuleDisplayIDs(const QStringList &ids);
    void setToast(const std::optional<QString> &toast, bool isError);
    std::optional<StashItem> activeItem(const QString &itemID) const;
    QList<StashItem> activeItems(const QStringList &itemIDs) const;
    QList<StashItem> selectedItems() const;
    void stopPlaybackIfPlayingAny(const QSet<QUuid> &ids);

    StashStore &m_store;
    AppSettings &m_settings;
    Environment m_environment;
    std::unique_ptr<Clock> m_ownClock;
    Clock *m_clock;
    DraftModel *m_draftModel;
    AudioPlaybackController *m_audioPlayer;
    RecordingController *m_recorder = nullptr;
    // The recording whose stop came from this display, for the panel that shows it.
    QString m_recordingDisplayID;
    // The player being opened for a row, and the one handed to the playback controller.
    quint64 m_playerLoadGeneration = 0;
    std::unique_ptr<AudioPlaying> m_loadedPlayer;
    FullScreenVisibilityMonitor *m_fullScreenVisibilityMonitor = nullptr;
    OutsideClickMonitor *m_outsideClickMonitor = nullptr;

    bool m_isOpen = false;
    ImportJob *m_importJob = nullptr;
    std::optional<QString> m_activeDisplayID;
    bool m_isDropTargeted = false;
    std::optional<QString> m_toast;
    bool m_toastIsError = false;
    PanelSelection *m_selection = new PanelSelection(this);
    StashItemListModel *m_stashItems = new StashItemListModel(&m_store, m_selection, this);
    TrashItemListModel *m_trashItems = new TrashItemListModel(&m_store, this);
    PanelSearch *m_search = new PanelSearch(m_store, *m_selection, this);
    int m_listPageRows = 8;
    bool m_isShowingTrash = false;
    int m_scrollToTopRequest = 0;
    std::optional<QUuid> m_scrollTargetItemID;
    double m_panelWidth;
    bool m_canOpenKelvarnTodayFolder = false;
    bool m_kelvarnSupportsTargetDisplay = false;
    QStringList m_visibleCapsuleDisplayIDs;

    std::map<QString, WindowEntry> m_windows;
    std::vector<std::unique_ptr<NotchWindowing>> m_retiredWindows;
    QStringList m_attachedDisplayOrder;
    QSet<QString> m_hiddenNotchTriggerDisplayIDs;
    QSet<QString> m_transientDisplayIDs;
    QSet<QString> m_fullScreenCoveredDisplayIDs;
    bool m_allowsFullScreenPresentation;
    bool m_openedByDrag = false;
    std::optional<ResizeEdge> m_resizeEdge;
    std::optional<double> m_resizeStartWidth;
    std::optional<double> m_resizeStartMouseX;
    // Bumped by every message; an older timer leaves a newer message alone.
    quint64 m_toastGeneration = 0;
};

} // namespace holdra
