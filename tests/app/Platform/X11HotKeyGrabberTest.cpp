#include "Platform/X11HotKeyGrabber.h"
#include "X11Client.h"
#include "XvfbSession.h"

#include <QProcess>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace holdra;

namespace {

constexpr quint32 spaceKeysym = 0x0020;
constexpr quint32 f9Keysym = 0xffc6;
constexpr quint32 unmappedKeysym = 0x100263a; // U+263A, on no key of the test keyboard
constexpr quint16 numLockMask = 0x10;          // Mod2 on the default keyboard map
constexpr quint16 controlAlt = X11HotKeyGrabber::Control | X11HotKeyGrabber::Alt;
constexpr int badAccess = 10;

bool xdotool(const QStringList &arguments)
{
    return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

// Presses `keys` and then F9, and waits for F9 to come back through a second
// grab: every event of `keys` has been handled by then.
class KeyboardRobot
{
public:
    KeyboardRobot() { m_sentinel.grab(f9Keysym, 0); }

    bool type(QStringList keys)
    {
        QSignalSpy done(&m_sentinel, &X11HotKeyGrabber::activated);
        keys << QStringLiteral("F9");
        return xdotool(keys) && done.wait(5000);
    }

private:
    X11HotKeyGrabber m_sentinel;
};

} // namespace

TEST(X11HotKeyGrabberTest, FiresOnlyForItsKeyAndModifiersWhateverTheLockKeys)
{
    HOLDRA_SKIP_WITHOUT_X11();
    X11HotKeyGrabber grabber;
    ASSERT_EQ(grabber.grab(spaceKeysym, controlAlt).status, X11HotKeyGrabber::Result::Grabbed);
    QSignalSpy fired(&grabber, &X11HotKeyGrabber::activated);
    KeyboardRobot robot;

    ASSERT_TRUE(robot.type({QStringLiteral("key"), QStringLiteral("ctrl+alt+space")}));
    EXPECT_EQ(fired.count(), 1);

    ASSERT_TRUE(robot.type({QStringLiteral("key"), QStringLiteral("Num_Lock"), QStringLiteral("ctrl+alt+space"),
                            QStringLiteral("Caps_Lock"), QStringLiteral("ctrl+alt+space"),
                            QStringLiteral("Num_Lock"), QStringLiteral("ctrl+alt+space"),
                            QStringLiteral("Caps_Lock")}));
    EXPECT_EQ(fired.count(), 4);

    ASSERT_TRUE(robot.type({QStringLiteral("key"), QStringLiteral("ctrl+space"), QStringLiteral("space"),
                            QStringLiteral("ctrl+alt+shift+space")}));
    EXPECT_EQ(fired.count(), 4);
}

TEST(X11HotKeyGrabberTest, AHeldKeyFiresOnce)
{
    HOLDRA_SKIP_WITHOUT_X11();
    X11HotKeyGrabber grabber;
    ASSERT_EQ(grabber.grab(spaceKeysym, controlAlt).status, X11HotKeyGrabber::Result::Grabbed);
    QSignalSpy fired(&grabber, &X11HotKeyGrabber::activated);
    KeyboardRobot robot;

    // Long enough for the server's key repeat to start; the modifiers go up first.
    ASSERT_TRUE(robot.type({QStringLiteral("keydown"), QStringLiteral("ctrl+alt+space"), QStringLiteral("sleep"),
                            QStringLiteral("1"), QStringLiteral("keyup"), QStringLiteral("ctrl+alt"),
                            QStringLiteral("keyup"), QStringLiteral("space"), QStringLiteral("key"),
                            QStringLiteral("ctrl+alt+space")}));
    EXPECT_EQ(fired.count(), 2);
}

TEST(X11HotKeyGrabberTest, AKeyHeldByAnotherClientReportsTheXErrorAndHoldsNothing)
{
    HOLDRA_SKIP_WITHOUT_X11();
    test::X11Client other;
    ASSERT_TRUE(other.isConnected());
    // Only one of the four lock variants is taken: the grab fails part way.
    ASSERT_TRUE(other.grabKey(spaceKeysym, controlAlt | numLockMask));

    X11HotKeyGrabber grabber;
    const X11HotKeyGrabber::Result result = grabber.grab(spaceKeysym, controlAlt);
    EXPECT_EQ(result.status, X11HotKeyGrabber::Result::Failed);
    EXPECT_EQ(result.errorCode, badAccess);
    EXPECT_FALSE(grabber.isGrabbed());

    // The variants that did succeed were given back.
    test::X11Client third;
    EXPECT_TRUE(third.grabKey(spaceKeysym, controlAlt));

    other.ungrabAllKeys();
    third.ungrabAllKeys();
    EXPECT_EQ(grabber.grab(spaceKeysym, controlAlt).status, X11HotKeyGrabber::Result::Grabbed);
}

TEST(X11HotKeyGrabberTest, UngrabAndRegrabReleaseThePreviousKey)
{
    HOLDRA_SKIP_WITHOUT_X11();
    test::X11Client other;
    {
        X11HotKeyGrabber grabber;
        ASSERT_EQ(grabber.grab(spaceKeysym, controlAlt).status, X11HotKeyGrabber::Result::Grabbed);
        EXPECT_FALSE(other.grabKey(spaceKeysym, controlAlt));

        ASSERT_EQ(grabber.grab(f9Keysym, controlAlt).status, X11HotKeyGrabber::Result::Grabbed);
        EXPECT_TRUE(other.grabKey(spaceKeysym, controlAlt));
        EXPECT_FALSE(other.grabKey(f9Keysym, controlAlt));
    }
    // Destroyed: its grab is gone.
    EXPECT_TRUE(other.grabKey(f9Keysym, controlAlt));
}

TEST(X11HotKeyGrabberTest, AKeysymOnNoKeyIsReported)
{
    HOLDRA_SKIP_WITHOUT_X11();
    X11HotKeyGrabber grabber;
    EXPECT_EQ(grabber.grab(unmappedKeysym, controlAlt).status, X11HotKeyGrabber::Result::UnknownKey);
    EXPECT_FALSE(grabber.isGrabbed());
}
