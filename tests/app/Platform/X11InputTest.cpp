// The hot-key grab and the outside-click monitor on a real X server, as the
// platform's factory makes them for an X11 session.
#include "Platform/OutsideClickMonitor.h"
#include "Platform/PlatformServices.h"
#include "Platform/X11HotKeyGrabber.h"
#include "X11Client.h"
#include "XvfbSession.h"

#include <QProcess>
#include <QRasterWindow>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace holdra;
using namespace Qt::StringLiterals;

namespace {

constexpr quint32 spaceKeysym = 0x0020;
constexpr quint32 f9Keysym = 0xffc6;
constexpr quint32 unmappedKeysym = 0x100263a; // U+263A, on no key of the test keyboard
constexpr quint16 numLockMask = 0x10;         // Mod2 on the default keyboard map
constexpr quint16 controlAlt = X11HotKeyGrabber::Control | X11HotKeyGrabber::Alt;

bool xdotool(const QString &arguments)
{
    return QProcess::execute(u"xdotool"_s, arguments.split(u' ')) == 0;
}

// Types `keys` and then F9, and waits for F9 to come back through a second
// grab: every event of `keys` has been handled by then.
class KeyboardRobot
{
public:
    KeyboardRobot() { m_sentinel.grab(f9Keysym, 0); }

    bool type(const QString &keys)
    {
        QSignalSpy done(&m_sentinel, &X11HotKeyGrabber::activated);
        return xdotool(keys + u" key F9"_s) && done.wait(5000);
    }

private:
    X11HotKeyGrabber m_sentinel;
};

} // namespace

TEST(X11InputTest, TheHotKeyFiresOnlyForItsKeyAndModifiersWhateverTheLockKeysAndOncePerHold)
{
    HOLDRA_SKIP_WITHOUT_X11();
    X11HotKeyGrabber grabber;
    ASSERT_EQ(grabber.grab(spaceKeysym, controlAlt).status, X11HotKeyGrabber::Result::Grabbed);
    QSignalSpy fired(&grabber, &X11HotKeyGrabber::activated);
    KeyboardRobot robot;

    ASSERT_TRUE(robot.type(u"key ctrl+alt+space"_s));
    EXPECT_EQ(fired.count(), 1);
    ASSERT_TRUE(
        robot.type(u"key Num_Lock ctrl+alt+space Caps_Lock ctrl+alt+space Num_Lock ctrl+alt+space Caps_Lock"_s));
    EXPECT_EQ(fired.count(), 4);
    ASSERT_TRUE(robot.type(u"key ctrl+space space ctrl+alt+shift+space"_s));
    EXPECT_EQ(fired.count(), 4);

    // Held long enough for the server's key repeat; the modifiers go up first.
    ASSERT_TRUE(robot.type(u"keydown ctrl+alt+space sleep 1 keyup ctrl+alt keyup space key ctrl+alt+space"_s));
    EXPECT_EQ(fired.count(), 6);
}

TEST(X11InputTest, AGrabThatFailsPartWayHoldsNothing)
{
    HOLDRA_SKIP_WITHOUT_X11();
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
    test::X11Client third;
    EXPECT_TRUE(third.grabKey(spaceKeysym, controlAlt)) << "the variants that succeeded were given back";
    other.ungrabAllKeys();
    third.ungrabAllKeys();
    EXPECT_EQ(grabber.grab(spaceKeysym, controlAlt).status, X11HotKeyGrabber::Result::Grabbed);
}

TEST(X11InputTest, OutsideClicksAreLeftAndRightPressesAnywhereWhileStarted)
{
    HOLDRA_SKIP_WITHOUT_X11();
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
