// The hot key and the outside-click monitor on a real X server, as the
// platform's factory makes them for an X11 session.
#include "App/HotKeyManager.h"
#include "Platform/OutsideClickMonitor.h"
#include "Platform/PlatformServices.h"
#include "Platform/X11HotKeyBackend.h"
#include "Platform/X11HotKeyGrabber.h"
#include "Settings/AppSettings.h"
#include "Settings/InMemoryUserDefaults.h"
#include "X11Client.h"
#include "XvfbSession.h"

#include <QProcess>
#include <QRasterWindow>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace holdra;
using namespace Qt::StringLiterals;
using Modifier = GlobalHotKey::Modifier;

namespace {

constexpr quint32 spaceKeysym = 0x0020;
constexpr quint32 unmappedKeysym = 0x100263a; // U+263A, on no key of the test keyboard
constexpr quint16 numLockMask = 0x10;         // Mod2 on the default keyboard map
constexpr quint16 controlAlt = X11HotKeyGrabber::Control | X11HotKeyGrabber::Alt;
constexpr quint32 keyCodeK = 40;

bool xdotool(const QString &arguments)
{
    return QProcess::execute(u"xdotool"_s, arguments.split(u' ')) == 0;
}

// Types `keys` and then F9, and waits for F9 to come back through a grab of
// its own: every event of `keys` has been handled by then.
bool type(const QString &keys)
{
    X11HotKeyGrabber sentinel;
    sentinel.grab(0xffc6 /* F9 */, 0);
    QSignalSpy done(&sentinel, &X11HotKeyGrabber::activated);
    return xdotool(keys + u" key F9"_s) && done.wait(5000);
}

class X11InputTest : public ::testing::Test
{
protected:
    void SetUp() override { HOLDRA_SKIP_WITHOUT_X11(); }
    std::unique_ptr<HotKeyManager> makeManager()
    {
        return std::make_unique<HotKeyManager>(&settings, std::make_unique<X11HotKeyBackend>());
    }
    InMemoryUserDefaults defaults;
    AppSettings settings{defaults};
};

} // namespace

TEST_F(X11InputTest, TheGrabFiresOnlyForItsKeyAndModifiersWhateverTheLockKeysAndOncePerHold)
{
    X11HotKeyGrabber grabber;
    ASSERT_EQ(grabber.grab(spaceKeysym, controlAlt).status, X11HotKeyGrabber::Result::Grabbed);
    QSignalSpy fired(&grabber, &X11HotKeyGrabber::activated);
    const std::pair<QString, int> typed[] = {
        {u"key ctrl+alt+space"_s, 1},
        {u"key Num_Lock ctrl+alt+space Caps_Lock ctrl+alt+space Num_Lock ctrl+alt+space Caps_Lock"_s, 4},
        {u"key ctrl+space space ctrl+alt+shift+space"_s, 4},
        // Held long enough for the server's key repeat; the modifiers go up first.
        {u"keydown ctrl+alt+space sleep 1 keyup ctrl+alt keyup space key ctrl+alt+space"_s, 6},
    };
    for (const auto &[keys, count] : typed) {
        ASSERT_TRUE(type(keys));
        EXPECT_EQ(fired.count(), count) << keys.toStdString();
    }
}

TEST_F(X11InputTest, AGrabThatFailsPartWayHoldsNothingAndTheSettingsSayWhy)
{
    X11HotKeyGrabber grabber;
    EXPECT_EQ(grabber.grab(unmappedKeysym, controlAlt).status, X11HotKeyGrabber::Result::UnknownKey);
    EXPECT_FALSE(grabber.isGrabbed());

    // Another client holds one of the four lock variants.
    test::X11Client other;
    ASSERT_TRUE(other.grabKey(spaceKeysym, controlAlt | numLockMask));
    const X11HotKeyGrabber::Result result = grabber.grab(spaceKeysym, controlAlt);
    EXPECT_EQ(result.status, X11HotKeyGrabber::Result::Failed);
    EXPECT_EQ(result.errorCode, 10) << "BadAccess";
    EXPECT_FALSE(grabber.isGrabbed());
    {
        test::X11Client third;
        EXPECT_TRUE(third.grabKey(spaceKeysym, controlAlt)) << "the variants that succeeded were given back";
    }

    // The manager over that grab: said in the settings, until another key is chosen.
    const auto manager = makeManager();
    EXPECT_FALSE(manager->isRegistered());
    EXPECT_EQ(manager->registrationFailureText(), u"快捷键注册失败：已被其他程序占用"_s);
    QSignalSpy changed(manager.get(), &HotKeyManager::registrationChanged);
    settings.setHotKey(GlobalHotKey(keyCodeK, Modifier::Control));
    EXPECT_GE(changed.count(), 1);
    EXPECT_TRUE(manager->isRegistered());
    EXPECT_TRUE(manager->registrationFailureText().isEmpty());
    // A stored code that no key has says so.
    settings.setHotKey(GlobalHotKey(200, Modifier::Control));
    EXPECT_FALSE(manager->isRegistered());
    EXPECT_EQ(manager->registrationFailureText(), u"快捷键注册失败：键码 200 在这里没有对应的键"_s);
    other.ungrabAllKeys();
}

// Keys beyond letters and digits are grabbed by their keysym on the real
// keyboard map (every key's keysym is the kit's table); the manager follows
// the setting and lets go while suspended.
TEST_F(X11InputTest, TheManagerFollowsTheSettingAndLetsGoWhileANewKeyIsRecorded)
{
    const auto manager = makeManager();
    QSignalSpy pressed(manager.get(), &HotKeyManager::hotKeyPressed);
    EXPECT_TRUE(manager->isRegistered());
    const struct
    {
        GlobalHotKey key;
        QString typed;
    } keys[] = {
        {GlobalHotKey::defaultHotKey(), u"ctrl+alt+space"_s},
        {{keyCodeK, Modifier::Shift | Modifier::Command}, u"shift+super+k"_s},
        {{33, Modifier::Control}, u"ctrl+bracketleft"_s},
    };
    for (const auto &[key, typed] : keys) {
        settings.setHotKey(key);
        EXPECT_TRUE(manager->isRegistered()) << typed.toStdString();
        const qsizetype before = pressed.count();
        ASSERT_TRUE(type(u"key "_s + typed + u" key ctrl+alt+space"_s));
        // Only the current key fires (the default one too only while it is set).
        EXPECT_EQ(pressed.count(), before + (key == GlobalHotKey::defaultHotKey() ? 2 : 1)) << typed.toStdString();
    }
    // Assigning the same value again must not lose the grab.
    settings.setHotKey(settings.hotKey());
    ASSERT_TRUE(type(u"key ctrl+bracketleft"_s));
    EXPECT_EQ(pressed.count(), 5);

    // Suspended (while a new key is recorded) the key is released for real:
    // another client can take it. Resuming takes the latest setting.
    manager->setSuspended(true);
    EXPECT_FALSE(manager->isRegistered());
    {
        test::X11Client other;
        EXPECT_TRUE(other.grabKey(0x005b /* [ */, X11HotKeyGrabber::Control));
        other.ungrabAllKeys();
    }
    settings.setHotKey(GlobalHotKey(keyCodeK, Modifier::Control));
    EXPECT_FALSE(manager->isRegistered());
    ASSERT_TRUE(type(u"key ctrl+k"_s));
    EXPECT_EQ(pressed.count(), 5);
    manager->setSuspended(false);
    EXPECT_TRUE(manager->isRegistered());
    ASSERT_TRUE(type(u"key ctrl+k"_s));
    EXPECT_EQ(pressed.count(), 6);
}

TEST_F(X11InputTest, OutsideClicksAreLeftAndRightPressesAnywhereWhileStarted)
{
    const std::unique_ptr<PlatformServices> platform = PlatformServices::make();
    QRasterWindow other;
    other.setGeometry(300, 300, 200, 200);
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    QObject owner;
    OutsideClickMonitor *monitor = platform->makeOutsideClickMonitor(&owner);
    OutsideClickMonitor *witness = platform->makeOutsideClickMonitor(&owner);
    ASSERT_TRUE(monitor->isAvailable());
    QSignalSpy pressed(monitor, &OutsideClickMonitor::buttonPressed);
    QSignalSpy witnessed(witness, &OutsideClickMonitor::buttonPressed);
    monitor->start();
    witness->start();

    // On the bare desktop, then on another client's window; the wheel does not count.
    ASSERT_TRUE(xdotool(u"mousemove 40 700 click 1"_s));
    ASSERT_TRUE(pressed.wait(5000));
    EXPECT_EQ(pressed.takeFirst().at(0).toPoint(), QPoint(40, 700));
    ASSERT_TRUE(xdotool(u"mousemove 400 400 click 4 click 5 click 3"_s));
    ASSERT_TRUE(pressed.wait(5000));
    ASSERT_EQ(pressed.count(), 1);
    EXPECT_EQ(pressed.takeFirst().at(0).toPoint(), QPoint(400, 400));

    // Stopped: the witness sees the next press, the monitor does not.
    ASSERT_TRUE(QTest::qWaitFor([&] { return witnessed.count() == 2; }, 5000));
    monitor->stop();
    ASSERT_TRUE(xdotool(u"click 1"_s));
    ASSERT_TRUE(QTest::qWaitFor([&] { return witnessed.count() == 3; }, 5000));
    QCoreApplication::processEvents();
    EXPECT_TRUE(pressed.isEmpty());
}
