#include "Notch/NotchController.h"

#include "Audio/RecordingController.h"
#include "FakeAudioPlayer.h"
#include "FakeNotchWindow.h"
#include "FakeVoiceRecorder.h"
#include "ManualClock.h"
#include "Models/DraftModel.h"
#include "Models/DraftTextMetrics.h"
#include "Notch/StashItemListModel.h"
#include "Settings/AppSettings.h"
#include "Settings/InMemoryUserDefaults.h"
#include "StoreFixture.h"

#include <QCoreApplication>
#include <QFile>
#include <QKeySequence>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <map>

namespace holdra::test {
namespace {

using namespace std::chrono_literals;

// Display A is the primary 1920 × 1080 screen with a 27-pixel top panel; B sits to its right.
class NotchControllerTest : public StoreFixture
{
protected:
    NotchControllerTest()
    {
        m_displays = {display(QStringLiteral("A"), {0, 0, 1920, 1080}, 27),
                      display(QStringLiteral("B"), {1920, 0, 1280, 1024}, 0)};
    }

    static NotchDisplay display(const QString &id, const QRectF &geometry, double topPanel)
    {
        NotchDisplay d;
        d.id = id;
        d.geometry = geometry;
        d.availableGeometry = geometry.adjusted(0, topPanel, 0, 0);
        return d;
    }

    static NotchDisplay notchedDisplay(const QString &id, const QRectF &geometry, double notchWidth)
    {
        NotchDisplay d = display(id, geometry, 0);
        d.safeAreaTop = 38;
        const double side = (geometry.width() - notchWidth) / 2;
        d.auxiliaryTopLeftWidth = side;
        d.auxiliaryTopRightWidth = side;
        return d;
    }

    NotchController &controller()
    {
        if (!m_controller) {
            if (!m_store)
                openStore();
            NotchController::Environment env;
            env.displays = [this] { return m_displays; };
            env.makeWindow = [this](NotchController &, const QString &id) {
                return std::make_unique<FakeNotchWindow>(m_windows, id);
            };
            env.clock = &m_clock;
            env.playSound = [this](SystemSound::Sound sound) { m_sounds.append(sound); };
            env.loadAudioPlayer = [this](const QUrl &url, QObject *, std::function<void(std::unique_ptr<AudioPlaying>)> loaded) {
                m_loadedUrls.append(url);
                m_pendingLoads.append(std::move(loaded));
                if (!m_loadsLater)
                    finishLoads();
            };
            m_controller = std::make_unique<NotchController>(*m_store, m_settings, std::move(env));
        }
        return *m_controller;
    }

    const WindowState &window(const QString &id) const { return m_windows.at(id); }
    bool hasWindow(const QString &id) const { return m_controller->window(id) != nullptr; }

    StashItem addText(const QString &text) { return m_store->addText(text); }
    QString idOf(const StashItem &item) const { return NotchController::idText(item.id()); }

    // Hands every pending load a fake player over m_playerState (or nothing when it cannot open).
    void finishLoads()
    {
        for (auto &loaded : std::exchange(m_pendingLoads, {}))
            loaded(m_playerOpens ? std::make_unique<FakeAudioPlayer>(m_playerState) : nullptr);
    }

    // A recorder over fakes, attached to the controller.
    RecordingController &recorder()
    {
        if (!m_recorder) {
            RecordingController::Environment env;
            env.makeRecorder = FakeVoiceRecorder::factory(m_recorderState);
            env.scratchDirectory = m_dir.filePath(QStringLiteral("scratch"));
            m_recorder = std::make_unique<RecordingController>(
                *m_store, [this](const QString &message) { controller().feedback(message); }, env);
            controller().setRecorder(m_recorder.get());
        }
        return *m_recorder;
    }

    StashItem addAudio(const QByteArray &bytes) { return m_store->addAudio(bytes, QStringLiteral("note"), 3); }
    static bool waitFor(const std::function<bool()> &condition) { return QTest::qWaitFor(condition, 5000); }

    QList<NotchDisplay> m_displays;
    std::map<QString, WindowState> m_windows;
    std::shared_ptr<FakeAudioPlayerState> m_playerState = std::make_shared<FakeAudioPlayerState>();
    bool m_playerOpens = true;
    bool m_loadsLater = false;
    QList<QUrl> m_loadedUrls;
    QList<std::function<void(std::unique_ptr<AudioPlaying>)>> m_pendingLoads;
    std::shared_ptr<FakeVoiceRecorderState> m_recorderState = std::make_shared<FakeVoiceRecorderState>();
    std::unique_ptr<RecordingController> m_recorder;
    QList<SystemSound::Sound> m_sounds;
    ManualClock m_clock;
    InMemoryUserDefaults m_defaults;
    AppSettings m_settings{m_defaults};
    std::unique_ptr<NotchController> m_controller;
};

const QRectF closedA(865, 27, 190, 34);

TEST_F(NotchControllerTest, AutomaticSelectionShowsOneCapsuleUnderTheTopPanelOfThePrimaryDisplay)
{
    NotchController &c = controller();
    EXPECT_EQ(c.visibleCapsuleDisplayIDs(), QStringList{QStringLiteral("A")});
    EXPECT_EQ(c.attachedDisplayOrder(), QStringList{QStringLiteral("A")});
    ASSERT_TRUE(hasWindow(QStringLiteral("A")));
    EXPECT_FALSE(hasWindow(QStringLiteral("B")));
    EXPECT_EQ(window(QStringLiteral("A")).frame, closedA);
    EXPECT_TRUE(window(QStringLiteral("A")).visible);
    EXPECT_FALSE(window(QStringLiteral("A")).key);
}

TEST_F(NotchControllerTest, AutomaticSelectionPrefersTheNotchedDisplay)
{
    m_displays[1] = notchedDisplay(QStringLiteral("B"), {1920, 0, 1512, 982}, 200);
    NotchController &c = controller();
    EXPECT_EQ(c.attachedDisplayOrder(), QStringList{QStringLiteral("B")});
    EXPECT_FALSE(hasWindow(QStringLiteral("A")));
    c.open();
    EXPECT_TRUE(c.isOpenOn(QStringLiteral("B")));
    // The open panel hangs from the top of a notched display.
    EXPECT_EQ(window(QStringLiteral("B")).frame.top(), 0);
}

TEST_F(NotchControllerTest, SettingsChangesReachTheWindows)
{
    NotchController &c = controller();
    m_settings.setDisplayAttachmentSelection(
        DisplayAttachmentSelection::selected({QStringLiteral("A"), QStringLiteral("B")}));
    EXPECT_TRUE(hasWindow(QStringLiteral("A")));
    EXPECT_TRUE(hasWindow(QStringLiteral("B")));

    c.open(QStringLiteral("A"));
    m_settings.setPanelWidth(500);
    EXPECT_EQ(c.panelWidth(), 500);
    EXPECT_EQ(window(QStringLiteral("A")).frame, QRectF(710, 27, 500, 470));

    m_settings.setDisplayAttachmentSelection(DisplayAttachmentSelection::disabled());
    EXPECT_FALSE(c.isOpen()) << "the open display is no longer a target";
    EXPECT_TRUE(c.windowDisplayIDs().isEmpty());
    EXPECT_TRUE(c.visibleCapsuleDisplayIDs().isEmpty());
}

TEST_F(NotchControllerTest, OpeningGrowsTheSameWindowAndClosingShrinksIt)
{
    NotchController &c = controller();
    QSignalSpy opened(&c, &NotchController::isOpenChanged);
    c.open();
    EXPECT_TRUE(c.isOpen());
    EXPECT_TRUE(c.isOpenOn(QStringLiteral("A")));
    EXPECT_FALSE(c.isOpenOn(QStringLiteral("B")));
    EXPECT_EQ(c.activeDisplayID(), QStringLiteral("A"));
    EXPECT_EQ(window(QStringLiteral("A")).frame, QRectF(768, 27, 384, 470));
    EXPECT_TRUE(window(QStringLiteral("A")).key);
    EXPECT_EQ(opened.count(), 1);

    c.open(QStringLiteral("A"));
    EXPECT_EQ(opened.count(), 1) << "opening where it is open changes nothing";

    c.close();
    EXPECT_FALSE(c.isOpen());
    EXPECT_FALSE(c.activeDisplayID());
    EXPECT_EQ(window(QStringLiteral("A")).frame, closedA);
    EXPECT_TRUE(window(QStringLiteral("A")).visible);
    EXPECT_FALSE(window(QStringLiteral("A")).key);
}

TEST_F(NotchControllerTest, ClickingAnotherCapsuleMovesThePanelThere)
{
    m_settings.setDisplayAttachmentSelection(
        DisplayAttachmentSelection::selected({QStringLiteral("A"), QStringLiteral("B")}));
    NotchController &c = controller();
    EXPECT_EQ(c.visibleCapsuleDisplayIDs(), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
    c.open(QStringLiteral("A"));
    c.open(QStringLiteral("B"));
    EXPECT_TRUE(c.isOpenOn(QStringLiteral("B")));
    EXPECT_EQ(window(QStringLiteral("A")).frame, closedA);
    EXPECT_FALSE(window(QStringLiteral("A")).key);
    EXPECT_TRUE(window(QStringLiteral("B")).key);
    EXPECT_EQ(window(QStringLiteral("B")).frame.center().x(), 1920 + 640);
}

TEST_F(NotchControllerTest, DisabledSelectionDrawsNothingButTheHotKeyOpensATransientPanel)
{
    m_displays[1] = notchedDisplay(QStringLiteral("B"), {1920, 0, 1512, 982}, 200);
    m_settings.setDisplayAttachmentSelection(DisplayAttachmentSelection::disabled());
    NotchController &c = controller();
    EXPECT_TRUE(c.visibleCapsuleDisplayIDs().isEmpty());
    // The notched display keeps an invisible trigger.
    ASSERT_TRUE(hasWindow(QStringLiteral("B")));
    EXPECT_FALSE(hasWindow(QStringLiteral("A")));

    c.open(QStringLiteral("A"), true);
    EXPECT_TRUE(c.isOpenOn(QStringLiteral("A")));
    ASSERT_TRUE(hasWindow(QStringLiteral("A")));

    // A transient panel survives a refresh while it stays open.
    c.refreshAttachedWindows();
    EXPECT_TRUE(c.isOpenOn(QStringLiteral("A")));
    EXPECT_TRUE(hasWindow(QStringLiteral("A")));

    c.close();
    EXPECT_FALSE(hasWindow(QStringLiteral("A"))) << "closing removes the transient window";
    EXPECT_FALSE(window(QStringLiteral("A")).visible);
    // Destroyed only after the event that closed it, which may be its own view's.
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(m_windows.contains(QStringLiteral("A")));

    c.open(QStringLiteral("B"));
    EXPECT_TRUE(c.isOpenOn(QStringLiteral("B")));
    c.close();
    EXPECT_TRUE(hasWindow(QStringLiteral("B"))) << "the trigger stays";
}

TEST_F(NotchControllerTest, TheHotKeyOpensOnlyOnItsDisplay)
{
    NotchController &c = controller();
    c.applyFullScreenCoverage({QStringLiteral("B")});
    c.open(QStringLiteral("B"), true);
    EXPECT_FALSE(c.isOpen()) << "a covered display is never chosen";
    c.open(QStringLiteral("gone"), true);
    EXPECT_FALSE(c.isOpen());
    c.applyFullScreenCoverage({});
    c.open(QStringLiteral("B"), true);
    EXPECT_TRUE(c.isOpenOn(QStringLiteral("B")));
    c.close();
    EXPECT_FALSE(hasWindow(QStringLiteral("B")));
}

TEST_F(NotchControllerTest, FullScreenCoverageHidesCapsulesAndClosesThePanel)
{
    NotchController &c = controller();
    c.open();
    c.applyFullScreenCoverage({QStringLiteral("A")});
    EXPECT_FALSE(c.isOpen());
    EXPECT_FALSE(window(QStringLiteral("A")).visible);
    c.open(QStringLiteral("A"));
    EXPECT_FALSE(c.isOpen());

    c.applyFullScreenCoverage({});
    EXPECT_TRUE(window(QStringLiteral("A")).visible);
    EXPECT_FALSE(c.isOpen()) << "the capsule comes back without the panel opening";

    m_settings.setEnableInFullScreen(true);
    c.applyFullScreenCoverage({QStringLiteral("A")});
    EXPECT_TRUE(window(QStringLiteral("A")).visible);
    EXPECT_TRUE(c.fullScreenCoveredDisplayIDs().isEmpty());
}

TEST_F(NotchControllerTest, ARefreshThatDropsTheOpenDisplayClosesThePanel)
{
    m_settings.setDisplayAttachmentSelection(
        DisplayAttachmentSelection::selected({QStringLiteral("A"), QStringLiteral("B")}));
    NotchController &c = controller();
    c.open(QStringLiteral("B"));
    m_displays.removeLast();
    c.refreshAttachedWindows();
    EXPECT_FALSE(c.isOpen());
    EXPECT_FALSE(hasWindow(QStringLiteral("B")));
    EXPECT_TRUE(hasWindow(QStringLiteral("A")));
}

TEST_F(NotchControllerTest, TwoDisplaysWithOneIdentifierKeepTheFirst)
{
    m_displays.append(display(QStringLiteral("A"), {0, 1080, 800, 600}, 0));
    NotchController &c = controller();
    EXPECT_EQ(c.visibleCapsuleDisplayIDs(), QStringList{QStringLiteral("A")});
    EXPECT_EQ(window(QStringLiteral("A")).frame, closedA);
}

TEST_F(NotchControllerTest, ADropOpensThePanelThatClosesItselfAfterTheImport)
{
    NotchController &c = controller();
    c.openForDrag(QStringLiteral("A"));
    EXPECT_TRUE(c.openedByDrag());
    c.openForDrag(QStringLiteral("A"));
    EXPECT_TRUE(c.isOpen());

    QMimeData data;
    data.setText(QStringLiteral("dropped"));
    QSignalSpy dropped(&c, &NotchController::dropRequested);
    QString seenText;
    QObject::connect(&c, &NotchController::dropRequested, &c,
            [&](const QMimeData *d, const QString &) { seenText = d->text(); });
    c.drop(data, QStringLiteral("A"));
    EXPECT_EQ(dropped.count(), 0) << "the drop is accepted before the import runs";
    m_clock.runDue();
    ASSERT_EQ(dropped.count(), 1);
    EXPECT_EQ(seenText, QStringLiteral("dropped"));
    EXPECT_EQ(dropped.at(0).at(1).toString(), QStringLiteral("A"));

    c.scheduleAutoClose();
    m_clock.advance(1099ms);
    EXPECT_TRUE(c.isOpen());
    m_clock.advance(1ms);
    EXPECT_FALSE(c.isOpen());
}

TEST_F(NotchControllerTest, CloseResetsThePanelState)
{
    openStore();
    const StashItem item = addText(QStringLiteral("x"));
    NotchController &c = controller();
    c.open();
    c.setDropTargeted(true);
    c.selectRow(idOf(item), false);
    c.showTrash(true);
    c.draftModel().setDraft(QStringLiteral("typed"));
    c.draftModel().setTyping(true);
    c.showToast(QStringLiteral("message"));
    c.close();
    EXPECT_FALSE(c.isDropTargeted());
    EXPECT_TRUE(c.selectionSet().isEmpty());
    EXPECT_FALSE(c.isShowingTrash());
    EXPECT_TRUE(c.draftModel().draft().isEmpty());
    EXPECT_FALSE(c.draftModel().isTyping());
    EXPECT_EQ(c.toast(), QStringLiteral("message")) << "closing leaves the toast alone";
}

// ---------------------------------------------------------------- keys

TEST_F(NotchControllerTest, EscapeClearsTheSelectionFirstThenCloses)
{
    openStore();
    const StashItem item = addText(QStringLiteral("x"));
    NotchController &c = controller();
    c.open();
    c.selectRow(idOf(item), false);
    EXPECT_TRUE(c.handleKey(Qt::Key_Escape, Qt::NoModifier));
    EXPECT_TRUE(c.isOpen());
    EXPECT_TRUE(c.selectionSet().isEmpty());
    EXPECT_TRUE(c.handleKey(Qt::Key_Escape, Qt::NoModifier));
    EXPECT_FALSE(c.isOpen());
}

TEST_F(NotchControllerTest, KeysWhileTypingGoToTheField)
{
    openStore();
    const StashItem item = addText(QStringLiteral("x"));
    NotchController &c = controller();
    QSignalSpy copies(&c, &NotchController::copyRequested);
    c.open();
    c.selectRow(idOf(item), false);
    c.draftModel().setTyping(true);
    c.draftModel().setDraft(QStringLiteral("abc"));
    EXPECT_FALSE(c.handleKey(Qt::Key_C, Qt::ControlModifier));
    EXPECT_FALSE(c.handleKey(Qt::Key_Delete, Qt::NoModifier));
    EXPECT_EQ(copies.count(), 0);
    EXPECT_EQ(m_store->count(), 1);

    EXPECT_TRUE(c.handleKey(Qt::Key_Escape, Qt::NoModifier));
    EXPECT_TRUE(c.draftModel().draft().isEmpty()) << "the first Escape clears the draft";
    EXPECT_TRUE(c.isOpen());
    EXPECT_TRUE(c.handleKey(Qt::Key_Escape, Qt::NoModifier));
    EXPECT_FALSE(c.isOpen());
}

TEST_F(NotchControllerTest, ShortcutsOfTheList)
{
    openStore();
    const StashItem a = addText(QStringLiteral("a"));
    addText(QStringLiteral("b"));
    NotchController &c = controller();
    QSignalSpy pastes(&c, &NotchController::pasteRequested);
    c.open();
    EXPECT_FALSE(c.handleKey(Qt::Key_Delete, Qt::NoModifier)) << "nothing selected: passed on";
    EXPECT_TRUE(c.handleKey(Qt::Key_A, Qt::ControlModifier));
    EXPECT_EQ(c.selectionSet().size(), 2);
    EXPECT_FALSE(c.handleKey(Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier));
    EXPECT_TRUE(c.handleKey(Qt::Key_V, Qt::ControlModifier));
    EXPECT_EQ(pastes.count(), 1);
    c.selectRow(idOf(a), false);
    EXPECT_TRUE(c.handleKey(Qt::Key_Backspace, Qt::NoModifier));
    EXPECT_EQ(m_store->count(), 1);
    EXPECT_EQ(c.toast(), QStringLiteral("已移入回收站 1 项"));
}

TEST_F(NotchControllerTest, TheKeyboardWalksAndExtendsTheSelection)
{
    openStore();
    for (const char *text : {"a", "b", "c", "d", "e"})
        addText(QString::fromLatin1(text));
    NotchController &c = controller();
    c.setListPageRows(2);
    c.open();
    // The list shows e, d, c, b, a from the top.
    const auto selected = [&] {
        QString names;
        for (const StashItem &item : m_store->items())
            names += c.selectionSet().contains(item.id()) ? item.text().value_or(QString()) : QString();
        return names;
    };
    struct Step
    {
        int key;
        Qt::KeyboardModifiers modifiers;
        QString selection;
    };
    const QList<Step> steps{
        {Qt::Key_Down, Qt::NoModifier, "e"},      {Qt::Key_Down, Qt::NoModifier, "d"},
        {Qt::Key_Down, Qt::ShiftModifier, "dc"},  {Qt::Key_PageDown, Qt::ShiftModifier, "dcba"},
        {Qt::Key_Up, Qt::ShiftModifier, "dcb"},   {Qt::Key_Home, Qt::ShiftModifier, "ed"},
        {Qt::Key_End, Qt::NoModifier, "a"},       {Qt::Key_Down, Qt::NoModifier, "a"},
        {Qt::Key_PageUp, Qt::NoModifier, "c"},    {Qt::Key_Home, Qt::NoModifier, "e"},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(QKeySequence(step.key | step.modifiers).toString().toStdString());
        EXPECT_TRUE(c.handleKey(step.key, step.modifiers));
        EXPECT_EQ(selected(), step.selection);
    }
    // Shift+click ranges from the last plain click.
    c.selectRow(idOf(m_store->items()[3]), false);
    c.selectRange(idOf(m_store->items()[1]));
    EXPECT_EQ(selected(), "dcb");

    // Return opens the keyboard's row, Space previews it; a text previews either way.
    QSignalSpy previews(&c, &NotchController::previewItemRequested);
    EXPECT_TRUE(c.handleKey(Qt::Key_Return, Qt::NoModifier));
    EXPECT_TRUE(c.handleKey(Qt::Key_Space, Qt::NoModifier));
    ASSERT_EQ(previews.count(), 2);
    EXPECT_EQ(previews.last().first().value<StashItem>().text(), QStringLiteral("d"));

    // A character typed on the list starts the quick entry with it.
    QSignalSpy focusRequests(&c, &NotchController::quickEntryFocusRequested);
    EXPECT_TRUE(c.handleKey(Qt::Key_X, Qt::ShiftModifier, QStringLiteral("X")));
    EXPECT_EQ(c.draftModel().draft(), QStringLiteral("X"));
    EXPECT_EQ(focusRequests.count(), 1);
    EXPECT_TRUE(c.handleKey(Qt::Key_Tab, Qt::NoModifier));
    EXPECT_EQ(focusRequests.count(), 2);
    EXPECT_FALSE(c.handleKey(Qt::Key_X, Qt::ControlModifier, QStringLiteral("\x18"))) << "Ctrl+X is no character";

    // In the trash the list keys do nothing.
    c.showTrash(true);
    EXPECT_FALSE(c.handleKey(Qt::Key_Down, Qt::NoModifier));
    EXPECT_FALSE(c.handleKey(Qt::Key_Y, Qt::NoModifier, QStringLiteral("y")));
}

// The search narrows what the keys, ranges and actions reach, with the panel's
// list model behind it as in the app, and without one (no panel shown).
TEST_F(NotchControllerTest, TheSearchNarrowsSelectionKeysAndActionsToTheRowsItShows)
{
    {
        openStore().removeAll();
        for (const char *text : {"apple pie", "banana", "Apple juice", "cherry", "https://APPLE.example"})
            addText(QString::fromUtf8(text));
        NotchController &c = controller();
        const auto selected = [&] {
            QStringList texts;
            for (const StashItem &item : m_store->items()) {
                if (c.selectionSet().contains(item.id()))
                    texts.append(item.text().value_or(item.urlString().value_or(QString())));
            }
            return texts;
        };
        c.open();
        QSignalSpy focus(c.search(), &PanelSearch::focusRequested);
        c.selectRow(idOf(m_store->items()[3]), false); // banana
        EXPECT_TRUE(c.handleKey(Qt::Key_F, Qt::ControlModifier));
        EXPECT_TRUE(c.search()->isActive());
        EXPECT_EQ(focus.count(), 1);

        c.search()->setQuery(QStringLiteral("ａｐｐｌｅ"));
        EXPECT_TRUE(selected().isEmpty()) << "a hidden row leaves the selection";
        EXPECT_TRUE(c.handleKey(Qt::Key_A, Qt::ControlModifier));
        EXPECT_EQ(selected(), (QStringList{"https://APPLE.example", "Apple juice", "apple pie"}));

        // Escape: first the search goes (the selection stays), then the selection, then the panel.
        EXPECT_TRUE(c.handleKey(Qt::Key_Escape, Qt::NoModifier));
        EXPECT_FALSE(c.search()->isActive());
        EXPECT_TRUE(c.search()->query().isEmpty());
        EXPECT_EQ(selected().size(), 3);
        EXPECT_TRUE(c.handleKey(Qt::Key_Escape, Qt::NoModifier));
        EXPECT_TRUE(selected().isEmpty());
        EXPECT_TRUE(c.isOpen());

        // The keyboard and Shift ranges walk the shown rows only; typing on the list extends the query.
        c.search()->begin();
        c.search()->setQuery(QStringLiteral("e"));
        EXPECT_TRUE(c.handleKey(Qt::Key_P, Qt::NoModifier, QStringLiteral("p")));
        EXPECT_EQ(c.search()->query(), QStringLiteral("ep"));
        c.search()->setQuery(QStringLiteral("p"));
        EXPECT_TRUE(c.handleKey(Qt::Key_Down, Qt::NoModifier));
        EXPECT_TRUE(c.handleKey(Qt::Key_Down, Qt::NoModifier));
        EXPECT_EQ(selected(), QStringList{"Apple juice"});
        c.selectRange(idOf(m_store->items()[4]));
        EXPECT_EQ(selected(), (QStringList{"Apple juice", "apple pie"}));

        // Trashing takes the shown selection; banana and cherry were never in reach.
        EXPECT_TRUE(c.handleKey(Qt::Key_Delete, Qt::NoModifier));
        EXPECT_EQ(c.toast(), QStringLiteral("已移入回收站 2 项"));
        EXPECT_EQ(m_store->count(), 3);

        c.showTrash(true);
        EXPECT_FALSE(c.search()->isActive()) << "the trash is not searched";
        EXPECT_FALSE(c.handleKey(Qt::Key_F, Qt::ControlModifier));
        c.showTrash(false);
        c.search()->begin();
        c.search()->setQuery(QStringLiteral("cherry"));
        c.close();
        EXPECT_FALSE(c.search()->isActive());
        EXPECT_EQ(c.search()->results()->count(), 3);
        m_controller.reset();
    }
}

// ---------------------------------------------------------------- selection and actions

TEST_F(NotchControllerTest, SelectionAndEffectiveItems)
{
    openStore();
    const StashItem c1 = addText(QStringLiteral("1"));
    const StashItem c2 = addText(QStringLiteral("2"));
    const StashItem c3 = addText(QStringLiteral("3"));
    NotchController &c = controller();
    c.selectRow(idOf(c1), false);
    EXPECT_EQ(c.effectiveItems(idOf(c1)), QStringList{idOf(c1)}) << "one selected row acts alone";
    c.selectRow(idOf(c3), true);
    EXPECT_TRUE(c.isSelected(idOf(c3)));
    // Store order, newest first.
    EXPECT_EQ(c.effectiveItems(idOf(c1)), (QStringList{idOf(c3), idOf(c1)}));
    EXPECT_EQ(c.effectiveItems(idOf(c2)), QStringList{idOf(c2)}) << "an unselected row acts alone";
    c.selectRow(idOf(c3), true);
    EXPECT_FALSE(c.isSelected(idOf(c3)));
    c.selectRow(idOf(c2), false);
    EXPECT_EQ(c.selection(), QStringList{idOf(c2)});
    EXPECT_EQ(idOf(c2), idOf(c2).toUpper());
    c.selectRow(QStringLiteral("not an id"), false);
    EXPECT_EQ(c.selection(), QStringList{idOf(c2)});

    c.showTrash(true);
    EXPECT_TRUE(c.selectionSet().isEmpty());
    c.selectAll();
    EXPECT_TRUE(c.selectionSet().isEmpty()) << "select-all does nothing in the trash";
    c.showTrash(false);
    c.selectAll();
    EXPECT_EQ(c.selectionSet().size(), 3);
}

TEST_F(NotchControllerTest, CopyMessages)
{
    openStore();
    const StashItem a = addText(QStringLiteral("a"));
    const StashItem b = addText(QStringLiteral("b"));
    NotchController &c = controller();
    QSignalSpy copies(&c, &NotchController::copyRequested);

    c.copySelection();
    EXPECT_EQ(m_sounds, QList<SystemSound::Sound>{SystemSound::Sound::Alert});
    EXPECT_EQ(copies.count(), 0);

    c.selectRow(idOf(a), false);
    c.copySelection();
    EXPECT_EQ(c.toast(), QStringLiteral("已复制 1 项"));
    c.copyItems(QStringList{idOf(a)});
    EXPECT_EQ(c.toast(), QStringLiteral("已复制"));
    c.copyItems(QStringList{idOf(a), idOf(b)});
    EXPECT_EQ(c.toast(), QStringLiteral("已复制 2 项"));
    EXPECT_EQ(copies.count(), 3);
    EXPECT_EQ(m_sounds.count(SystemSound::Sound::Pop), 3);

    m_settings.setSoundFeedback(false);
    c.copyItems(QStringList{idOf(a)});
    EXPECT_EQ(m_sounds.count(SystemSound::Sound::Pop), 3);
}

TEST_F(NotchControllerTest, DeletingASelectionSparesLockedItems)
{
    openStore();
    QStringList ids;
    for (int i = 0; i < 5; ++i)
        ids.append(idOf(addText(QString::number(i))));
    NotchController &c = controller();
    c.toggleLock(QStringList{ids[0], ids[1]});
    for (const QString &id : ids)
        c.selectRow(id, true);
    c.deleteSelection();
    EXPECT_EQ(c.toast(), QStringLiteral("已移入回收站 3 项，2 项已锁定"));
    EXPECT_FALSE(c.toastIsError());
    EXPECT_EQ(m_store->count(), 2);
    EXPECT_TRUE(c.selectionSet().isEmpty());

    m_sounds.clear();
    c.selectAll();
    c.deleteSelection();
    EXPECT_EQ(c.toast(), QStringLiteral("所选已锁定，先解锁再删除"));
    EXPECT_TRUE(c.toastIsError()) << "a refusal is no success";
    EXPECT_EQ(m_sounds, QList<SystemSound::Sound>{SystemSound::Sound::Pop});
    EXPECT_EQ(m_store->count(), 2);
}

TEST_F(NotchControllerTest, RemovingRowsAndTheirMessages)
{
    openStore();
    const StashItem a = addText(QStringLiteral("a"));
    const StashItem b = addText(QStringLiteral("b"));
    const StashItem c3 = addText(QStringLiteral("c"));
    const StashItem locked = addText(QStringLiteral("locked"));
    NotchController &c = controller();
    c.toggleLock(QStringList{idOf(locked)});

    c.selectRow(idOf(a), true);
    c.selectRow(idOf(b), true);
    c.removeItems(QStringList{idOf(a)});
    EXPECT_EQ(c.toast(), QStringLiteral("已移入回收站"));
    EXPECT_EQ(c.selection(), QStringList{idOf(b)});
    c.removeItems(QStringList{idOf(locked)});
    EXPECT_EQ(c.toast(), QStringLiteral("已锁定，先解锁再删除"));
    c.removeItems(QStringList{idOf(b), idOf(c3)});
    EXPECT_EQ(c.toast(), QStringLiteral("已移入回收站 2 项"));
    EXPECT_EQ(m_store->count(), 1);
}

TEST_F(NotchControllerTest, LockTogglingOfMixedSelections)
{
    openStore();
    const StashItem a = addText(QStringLiteral("a"));
    const StashItem b = addText(QStringLiteral("b"));
    NotchController &c = controller();
    c.toggleLock(QStringList{idOf(a)});
    EXPECT_EQ(c.toast(), QStringLiteral("已锁定"));
    c.toggleLock(QStringList{idOf(a), idOf(b)});
    EXPECT_EQ(c.toast(), QStringLiteral("已锁定 2 项")) << "a mixed selection locks all of it";
    for (const StashItem &item : m_store->items())
        EXPECT_TRUE(item.locked());
    c.toggleLock(QStringList{idOf(a), idOf(b)});
    EXPECT_EQ(c.toast(), QStringLiteral("已解锁 2 项"));
    c.toggleLock(QStringList{idOf(b)});
    c.toggleLock(QStringList{idOf(b)});
    EXPECT_EQ(c.toast(), QStringLiteral("已解锁"));
}

TEST_F(NotchControllerTest, ClearAllKeepsLockedItems)
{
    openStore();
    addText(QStringLiteral("a"));
    addText(QStringLiteral("b"));
    const StashItem locked = addText(QStringLiteral("locked"));
    NotchController &c = controller();
    c.toggleLock(QStringList{idOf(locked)});
    c.clearAll();
    EXPECT_EQ(c.toast(), QStringLiteral("已移入回收站 2 项，1 项已锁定"));
    EXPECT_EQ(m_store->count(), 1);

    m_clock.advance(2s);
    m_sounds.clear();
    c.clearAll();
    EXPECT_FALSE(c.toast()) << "only locked items: no message";
    EXPECT_TRUE(m_sounds.isEmpty());
}

TEST_F(NotchControllerTest, RestoreMessages)
{
    openStore();
    NotchController &c = controller();
    const StashItem item = StashItem::makeText(QStringLiteral("t"), m_now);
    c.reportRestore({{item}, {}, {}});
    EXPECT_EQ(c.toast(), QStringLiteral("已恢复到暂存"));
    c.reportRestore({{item, item}, {}, {}});
    EXPECT_EQ(c.toast(), QStringLiteral("已恢复 2 项到暂存"));
    c.reportRestore({{item}, {item}, {item, item}});
    EXPECT_EQ(c.toast(), QStringLiteral("已恢复 1 项，1 项重复，2 项文件缺失"));
    EXPECT_FALSE(c.toastIsError());
    c.reportRestore({{}, {item}, {item}});
    EXPECT_EQ(c.toast(), QStringLiteral("暂存中已有相同文件，未恢复"));
    EXPECT_TRUE(c.toastIsError());
    c.reportRestore({{}, {}, {item}});
    EXPECT_EQ(c.toast(), QStringLiteral("原文件已缺失，无法恢复"));
    EXPECT_TRUE(c.toastIsError());
    m_sounds.clear();
    c.reportRestore({});
    EXPECT_TRUE(m_sounds.isEmpty());
}

TEST_F(NotchControllerTest, RestoringAnEntryWhoseFileIsGoneLeavesItInTheTrash)
{
    const StashItem stored = storedItem(QStringLiteral("gone.txt"), "bytes");
    writeItems({stored});
    openStore();
    NotchController &c = controller();
    c.removeItems(QStringList{idOf(stored)});
    ASSERT_EQ(m_store->trashCount(), 1);
    QDir(root()).removeRecursively();
    c.restoreAllFromTrash();
    EXPECT_EQ(c.toast(), QStringLiteral("原文件已缺失，无法恢复"));
    EXPECT_EQ(m_store->trashCount(), 1);

    c.showTrash(true);
    EXPECT_TRUE(c.isShowingTrash());
}

TEST_F(NotchControllerTest, QuickEntryStoresLinksAndTextThenCloses)
{
    openStore();
    NotchController &c = controller();
    const auto submit = [&](const QString &draft) {
        c.open();
        c.draftModel().setDraft(draft);
        c.submitDraft();
        EXPECT_FALSE(c.isOpen());
        EXPECT_TRUE(c.draftModel().draft().isEmpty());
    };
    submit(QStringLiteral("  https://example.com/a  "));
    ASSERT_EQ(m_store->count(), 1);
    EXPECT_EQ(m_store->items().first().kind(), StashItemKind::link);
    EXPECT_EQ(m_store->items().first().urlString(), QStringLiteral("https://example.com/a"));
    EXPECT_EQ(c.toast(), QStringLiteral("已录入"));

    submit(QStringLiteral("plain words"));
    EXPECT_EQ(m_store->items().first().kind(), StashItemKind::text);
    submit(QStringLiteral("httpx://example.com/file"));
    EXPECT_EQ(m_store->items().first().kind(), StashItemKind::text);
    submit(QStringLiteral("   \n "));
    EXPECT_EQ(m_store->count(), 3);

    c.open();
    c.draftModel().setTyping(true);
    c.draftModel().setDraft(QStringLiteral("by return"));
    EXPECT_TRUE(c.handleKey(Qt::Key_Return, Qt::NoModifier));
    EXPECT_EQ(m_store->count(), 4);
    EXPECT_FALSE(c.isOpen());
}

TEST_F(NotchControllerTest, ToastsReplaceEachOtherAndLastTheirFullTime)
{
    NotchController &c = controller();
    c.showToast(QString());
    EXPECT_FALSE(c.toast());
    c.showToast(QStringLiteral("first"));
    m_clock.advance(1000ms);
    c.showToast(QStringLiteral("second"));
    EXPECT_EQ(c.toast(), QStringLiteral("second"));
    m_clock.advance(1299ms);
    EXPECT_EQ(c.toast(), QStringLiteral("second")) << "the first timer must not clear the newer message";
    m_clock.advance(1ms);
    EXPECT_FALSE(c.toast());
}

// ---------------------------------------------------------------- panel size

TEST_F(NotchControllerTest, ResizingFromEitherEdgeMovesBothAndStoresOnlyAtTheEnd)
{
    m_settings.setPanelWidth(400);
    NotchController &c = controller();
    c.updatePanelResize(10);
    c.beginPanelResize(NotchController::ResizeEdge::Trailing, 100);
    EXPECT_FALSE(c.isResizingPanel()) << "nothing to resize while closed";

    c.open();
    c.beginPanelResize(NotchController::ResizeEdge::Trailing, 1000);
    c.updatePanelResize(1030);
    EXPECT_EQ(c.panelWidth(), 460);
    EXPECT_EQ(window(QStringLiteral("A")).frame.width(), 460);
    EXPECT_EQ(m_settings.panelWidth(), 400) << "stored only when the drag ends";
    c.endPanelResize();
    EXPECT_EQ(m_settings.panelWidth(), 460);

    c.beginPanelResize(NotchController::ResizeEdge::Leading, 500);
    c.updatePanelResize(470);
    EXPECT_EQ(c.panelWidth(), 520);
    c.updatePanelResize(-1000);
    EXPECT_EQ(c.panelWidth(), 720);
    c.updatePanelResize(2000);
    EXPECT_EQ(c.panelWidth(), 320);
    c.close();
    EXPECT_EQ(m_settings.panelWidth(), 320) << "closing during a drag ends it";
    EXPECT_FALSE(c.isResizingPanel());
}

TEST_F(NotchControllerTest, WidthLimitsFollowTheDisplay)
{
    m_settings.setPanelWidth(720);
    m_displays = {display(QStringLiteral("S"), {0, 0, 600, 800}, 0)};
    NotchController &c = controller();
    c.open();
    EXPECT_EQ(c.panelWidth(), 560);
    EXPECT_EQ(m_settings.panelWidth(), 720) << "narrowing for a display does not change what is stored";
    c.close();

    m_displays = {display(QStringLiteral("T"), {0, 0, 300, 800}, 0)};
    c.refreshAttachedWindows();
    c.open();
    EXPECT_EQ(c.panelWidth(), 260);
}

TEST_F(NotchControllerTest, ANotchWiderThan224PointsWidensTheLowerLimit)
{
    m_settings.setPanelWidth(320);
    m_displays = {notchedDisplay(QStringLiteral("N"), {0, 0, 1512, 982}, 260)};
    NotchController &c = controller();
    c.open();
    EXPECT_EQ(c.panelWidth(), 356);
    c.close();
    m_displays = {notchedDisplay(QStringLiteral("M"), {0, 0, 1512, 982}, 200)};
    c.refreshAttachedWindows();
    c.open();
    EXPECT_EQ(c.panelWidth(), 320);
    // The closed window covers the notch and the band below it.
    c.close();
    EXPECT_EQ(window(QStringLiteral("M")).frame, QRectF(656, 0, 200, 38 + 26));
}

TEST_F(NotchControllerTest, ThePanelGrowsWithTheDraftUpToEightLines)
{
    NotchController &c = controller();
    c.open();
    const double line = DraftTextMetrics::lineHeight();
    c.draftModel().setDraft(QStringLiteral("1\n2\n3\n4\n5\n6\n7\n8\n9\n10"));
    m_clock.advance(200ms);
    EXPECT_EQ(window(QStringLiteral("A")).frame.height(), 470 + 7 * line);
    c.draftModel().setDraft(QStringLiteral("one"));
    m_clock.advance(200ms);
    EXPECT_EQ(window(QStringLiteral("A")).frame.height(), 470);
}

TEST_F(NotchControllerTest, CompanionSegmentFollowsAvailability)
{
    NotchController &c = controller();
    QSignalSpy requests(&c, &NotchController::openKelvarnTodayFolderRequested);
    c.openKelvarnTodayFolder(QStringLiteral("A"));
    EXPECT_EQ(m_sounds, QList<SystemSound::Sound>{SystemSound::Sound::Alert});
    c.setKelvarnAvailability(true, true);
    EXPECT_TRUE(c.canOpenKelvarnTodayFolder());
    c.openKelvarnTodayFolder(QStringLiteral("A"));
    ASSERT_EQ(requests.count(), 1);
    EXPECT_TRUE(requests.at(0).at(1).toBool());
    c.reportKelvarnOpenFailure();
    EXPECT_FALSE(c.canOpenKelvarnTodayFolder());
    EXPECT_EQ(m_sounds.count(SystemSound::Sound::Alert), 2);
}

TEST_F(NotchControllerTest, AVoiceNoteStopsPlaybackAndEndsSelectedInThePanelOfItsDisplay)
{
    NotchController &c = controller();
    RecordingController &r = recorder();
    const StashItem earlier = addAudio("earlier");
    c.toggleAudioPlayback(idOf(earlier));
    ASSERT_TRUE(c.audioPlayer().isPlaying());

    c.toggleRecording(QStringLiteral("B"));
    EXPECT_TRUE(r.isRecording());
    EXPECT_TRUE(c.audioPlayer().activeItemID().isNull()) << "recording silences the player first";

    // Playback is refused while recording, and the player is never asked.
    m_sounds.clear();
    m_loadedUrls.clear();
    c.toggleAudioPlayback(idOf(earlier));
    EXPECT_EQ(c.toast(), QStringLiteral("请先停止录音再播放"));
    EXPECT_EQ(m_sounds, QList<SystemSound::Sound>{SystemSound::Sound::Pop});
    EXPECT_TRUE(m_loadedUrls.isEmpty());

    m_recorderState->currentTime = 2.4;
    m_sounds.clear();
    const int scrollRequests = c.scrollToTopRequest();
    c.toggleRecording(QStringLiteral("B"));
    ASSERT_TRUE(waitFor([&] { return m_store->items().size() == 2; }));
    const StashItem note = m_store->items().first();
    EXPECT_EQ(note.durationSeconds(), 2.4);
    EXPECT_EQ(c.toast(), QStringLiteral("已录制 · ") + StashItem::durationText(2.4));
    EXPECT_EQ(m_sounds, QList<SystemSound::Sound>{SystemSound::Sound::Pop});
    EXPECT_TRUE(c.isOpen());
    EXPECT_EQ(c.selection(), QStringList{idOf(note)});
    EXPECT_EQ(c.scrollTargetItemID(), note.id());
    EXPECT_EQ(c.scrollToTopRequest(), scrollRequests + 1);
}

TEST_F(NotchControllerTest, ARecordingThatCannotBeStashedBeepsOrSaysWhy)
{
    NotchController &c = controller();
    recorder();
    c.toggleRecording(QString());
    m_recorderState->currentTime = 0.2;
    c.toggleRecording(QString());
    ASSERT_TRUE(waitFor([&] { return !m_sounds.isEmpty(); }));
    EXPECT_EQ(m_sounds, QList<SystemSound::Sound>{SystemSound::Sound::Alert});
    EXPECT_FALSE(c.toast());
    EXPECT_FALSE(c.isOpen());

    m_recorderState->startsRecording = false;
    c.toggleRecording(QString());
    EXPECT_EQ(c.toast(), QStringLiteral("录音启动失败"));
}

TEST_F(NotchControllerTest, PlaybackProblemsAreToldAndOnlyTheLastPressedRowPlays)
{
    NotchController &c = controller();
    const StashItem first = addAudio("first");
    const StashItem second = addAudio("second");

    c.toggleAudioPlayback(idOf(addText(QStringLiteral("not a recording"))));
    EXPECT_TRUE(m_loadedUrls.isEmpty());
    EXPECT_FALSE(c.toast());

    // Opening takes a moment; a second row pressed meanwhile wins.
    m_loadsLater = true;
    c.toggleAudioPlayback(idOf(first));
    c.toggleAudioPlayback(idOf(second));
    EXPECT_TRUE(c.audioPlayer().activeItemID().isNull()) << "nothing plays before the file is open";
    finishLoads();
    EXPECT_EQ(c.audioPlayer().activeItemID(), second.id());
    EXPECT_EQ(m_playerState->playCalls, 1);

    // Pausing the loaded row needs no new player.
    m_loadedUrls.clear();
    c.toggleAudioPlayback(idOf(second));
    EXPECT_TRUE(m_loadedUrls.isEmpty());
    EXPECT_FALSE(c.audioPlayer().isPlaying());

    m_loadsLater = false;
    m_playerOpens = false;
    c.toggleAudioPlayback(idOf(first));
    EXPECT_EQ(c.toast(), QStringLiteral("无法播放这段录音"));
    EXPECT_TRUE(c.toastIsError());
    EXPECT_TRUE(c.audioPlayer().activeItemID().isNull());

    QFile::remove(m_store->absolutePath(first).value());
    m_loadedUrls.clear();
    c.toggleAudioPlayback(idOf(first));
    EXPECT_EQ(c.toast(), QStringLiteral("录音文件不存在"));
    EXPECT_TRUE(m_loadedUrls.isEmpty());
}

} // namespace
} // namespace holdra::test
