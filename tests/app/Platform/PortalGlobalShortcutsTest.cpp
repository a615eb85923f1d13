#include "Platform/PortalGlobalShortcuts.h"
#include "App/HotKeyManager.h"
#include "App/HotKeyRecorder.h"
#include "FakeGlobalShortcutsPortal.h"
#include "PrivateSessionBus.h"
#include "Settings/AppSettings.h"
#include "Settings/InMemoryUserDefaults.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace holdra;
using namespace Qt::StringLiterals;
using State = PortalGlobalShortcuts::State;

namespace {

const GlobalHotKey ctrlShiftK(40, GlobalHotKey::Modifier::Control | GlobalHotKey::Modifier::Shift);

// A private bus with the portal on one connection and Holdra on another.
class PortalGlobalShortcutsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!bus.failure().isEmpty())
            GTEST_SKIP() << bus.failure().toStdString();
    }

    // The manager as the application makes it in a Wayland session.
    std::unique_ptr<HotKeyManager> makeManager()
    {
        auto backend = std::make_unique<PortalGlobalShortcuts>(bus.connect());
        portal = backend.get();
        return std::make_unique<HotKeyManager>(&settings, std::move(backend));
    }

    test::PrivateSessionBus bus;
    test::FakeGlobalShortcutsPortal desktop{bus.connect()};
    InMemoryUserDefaults defaults;
    AppSettings settings{defaults};
    PortalGlobalShortcuts *portal = nullptr;
};

} // namespace

TEST(PortalTriggerTest, TheKeyIsAskedForInTheShortcutsSpelling)
{
    using M = GlobalHotKey::Modifier;
    const struct
    {
        GlobalHotKey key;
        const char *trigger;
    } cases[] = {
        {GlobalHotKey::defaultHotKey(), "CTRL+ALT+space"},
        {GlobalHotKey(0, M::Command | M::Shift), "SHIFT+LOGO+a"},
        {GlobalHotKey(51, M::Control), "CTRL+BackSpace"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(PortalGlobalShortcuts::preferredTrigger(c.key), QLatin1String(c.trigger)) << c.trigger;
}

// Until a portal binds the shortcut the settings tell how to bind the command
// instead; once bound, it toggles, shows the desktop's binding, and a new key
// gets a new session.
TEST_F(PortalGlobalShortcutsTest, TheBoundShortcutTogglesShowsTheDesktopsBindingAndANewKeyGetsANewSession)
{
    // No portal yet: the desktop offers no global shortcuts.
    const auto manager = makeManager();
    QSignalSpy pressed(manager.get(), &HotKeyManager::hotKeyPressed);
    HotKeyRecorder recorder(settings, manager.get());
    ASSERT_TRUE(QTest::qWaitFor([&] { return portal->state() == State::Unavailable; }));
    EXPECT_FALSE(manager->isRegistered());
    EXPECT_TRUE(manager->registrationFailureText().contains(u"holdra toggle"_s));
    // The portal starts later; the user cancels its dialog.
    desktop.bindResponse = 1;
    ASSERT_TRUE(desktop.appear());
    ASSERT_TRUE(QTest::qWaitFor([&] { return portal->state() == State::Refused; }));
    EXPECT_TRUE(manager->registrationFailureText().contains(u"holdra toggle"_s));
    // The portal goes with the session bus's service and comes back: asked again.
    desktop.vanish();
    ASSERT_TRUE(QTest::qWaitFor([&] { return portal->state() == State::Unavailable; }));
    desktop.bindResponse = 0;
    ASSERT_TRUE(desktop.appear());

    ASSERT_TRUE(QTest::qWaitFor([&] { return manager->isRegistered(); }));
    EXPECT_EQ(desktop.preferredTriggers.last(), u"CTRL+ALT+space"_s);
    const QString shown = test::FakeGlobalShortcutsPortal::triggerFor(u"CTRL+ALT+space"_s);
    EXPECT_EQ(manager->bindingText(), shown);
    EXPECT_EQ(recorder.label(), shown);
    EXPECT_TRUE(manager->registrationFailureText().isEmpty());

    const QString session = desktop.sessions.last();
    desktop.activate(session, u"toggle-panel"_s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pressed.count() == 1; }));
    // Another session's or another shortcut's activation is not ours. The user
    // rebinding it in the desktop's own settings is reported after them.
    desktop.activate(session + u"x"_s, u"toggle-panel"_s);
    desktop.activate(session, u"other"_s);
    desktop.changeTrigger(session, u"toggle-panel"_s, u"Super+H"_s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.label() == u"Super+H"_s; }));
    EXPECT_EQ(pressed.count(), 1);

    // While a new key is being recorded the shortcut does nothing.
    manager->setSuspended(true);
    desktop.activate(session, u"toggle-panel"_s);
    desktop.changeTrigger(session, u"toggle-panel"_s, u"Super+J"_s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.label() == u"Super+J"_s; }));
    manager->setSuspended(false);
    desktop.activate(session, u"toggle-panel"_s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pressed.count() == 2; }));
    EXPECT_EQ(desktop.sessions.size(), 2) << "suspending must not ask the desktop again";

    // A new key is asked for in a new session and the old one closed. This time
    // the desktop answers the binding without the list; the binding is listed after.
    desktop.bindAnswersWithList = false;
    settings.setHotKey(ctrlShiftK);
    const QString rebound = test::FakeGlobalShortcutsPortal::triggerFor(u"CTRL+SHIFT+k"_s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return manager->isRegistered() && manager->bindingText() == rebound; }));
    EXPECT_EQ(desktop.preferredTriggers.last(), u"CTRL+SHIFT+k"_s);
    ASSERT_EQ(desktop.sessions.size(), 3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return desktop.closedSessions == QStringList{session}; }));
    desktop.activate(session, u"toggle-panel"_s);
    desktop.activate(desktop.sessions.last(), u"toggle-panel"_s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pressed.count() == 3; }));
    // The old session's activation, sent first, would have arrived by now.
    EXPECT_EQ(pressed.count(), 3);
}
