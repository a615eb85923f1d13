#include "App/HotKeyManager.h"
#include "MessageLog.h"
#include "Platform/X11HotKeyBackend.h"
#include "Platform/X11HotKeyGrabber.h"
#include "Settings/AppSettings.h"
#include "Settings/InMemoryUserDefaults.h"
#include "X11Client.h"
#include "XvfbSession.h"

#include <QProcess>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace holdra;
using namespace Qt::StringLiterals;

namespace {

constexpr quint32 spaceKeysym = 0x0020;
constexpr quint32 f9Keysym = 0xffc6;
constexpr quint16 controlAlt = X11HotKeyGrabber::Control | X11HotKeyGrabber::Alt;
constexpr quint32 keyCodeK = 40;

// Types `keys`, then F9 through a grab of its own, and waits for F9: every
// earlier key event has been handled once it arrives.
bool type(const QString &keys)
{
    X11HotKeyGrabber sentinel;
    sentinel.grab(f9Keysym, 0);
    QSignalSpy done(&sentinel, &X11HotKeyGrabber::activated);
    return QProcess::execute(u"xdotool"_s, {u"key"_s, keys, u"F9"_s}) == 0 && done.wait(5000);
}

class X11HotKeyManagerTest : public ::testing::Test
{
protected:
    InMemoryUserDefaults defaults;
    AppSettings settings{defaults};
};

} // namespace

TEST_F(X11HotKeyManagerTest, FollowsTheSettingAndLetsGoWhileSuspended)
{
    HOLDRA_SKIP_WITHOUT_X11();
    HotKeyManager manager(&settings, std::make_unique<X11HotKeyBackend>());
    QSignalSpy pressed(&manager, &HotKeyManager::hotKeyPressed);
    EXPECT_TRUE(manager.isRegistered());
    EXPECT_TRUE(manager.registrationFailureText().isEmpty());

    ASSERT_TRUE(type(u"ctrl+alt+space"_s));
    EXPECT_EQ(pressed.count(), 1);

    settings.setHotKey(GlobalHotKey(keyCodeK, GlobalHotKey::Modifier::Shift | GlobalHotKey::Modifier::Command));
    ASSERT_TRUE(type(u"ctrl+alt+space"_s));
    EXPECT_EQ(pressed.count(), 1);
    ASSERT_TRUE(type(u"shift+super+k"_s));
    EXPECT_EQ(pressed.count(), 2);

    // Assigning the same value again must not lose the grab.
    settings.setHotKey(settings.hotKey());
    ASSERT_TRUE(type(u"shift+super+k"_s));
    EXPECT_EQ(pressed.count(), 3);

    // Suspended (while a new key is recorded) the key is released for real:
    // another client can take it. Resuming takes the latest setting.
    manager.setSuspended(true);
    EXPECT_FALSE(manager.isRegistered());
    {
        test::X11Client other;
        EXPECT_TRUE(other.grabKey(0x006b /* k */, X11HotKeyGrabber::Shift | X11HotKeyGrabber::Super));
        other.ungrabAllKeys();
    }
    settings.setHotKey(GlobalHotKey(keyCodeK, GlobalHotKey::Modifier::Control));
    EXPECT_FALSE(manager.isRegistered());
    ASSERT_TRUE(type(u"ctrl+k"_s));
    EXPECT_EQ(pressed.count(), 3);
    manager.setSuspended(false);
    EXPECT_TRUE(manager.isRegistered());
    ASSERT_TRUE(type(u"ctrl+k"_s));
    EXPECT_EQ(pressed.count(), 4);
}

TEST_F(X11HotKeyManagerTest, AKeyHeldByAnotherProgramIsReportedAndLogged)
{
    HOLDRA_SKIP_WITHOUT_X11();
    test::X11Client other;
    ASSERT_TRUE(other.isConnected());
    ASSERT_TRUE(other.grabKey(spaceKeysym, controlAlt));

    test::MessageLog log;
    HotKeyManager manager(&settings, std::make_unique<X11HotKeyBackend>());
    EXPECT_FALSE(manager.isRegistered());
    EXPECT_EQ(manager.registrationFailureText(), u"快捷键注册失败：已被其他程序占用"_s);
    EXPECT_EQ(log.count(u"[Holdra] 快捷键注册失败：status=10"_s), 1);

    QSignalSpy changed(&manager, &HotKeyManager::registrationChanged);
    settings.setHotKey(GlobalHotKey(keyCodeK, GlobalHotKey::Modifier::Control));
    EXPECT_GE(changed.count(), 1);
    EXPECT_TRUE(manager.isRegistered());
    EXPECT_TRUE(manager.registrationFailureText().isEmpty());
    other.ungrabAllKeys();
}

// Keys beyond letters, digits and the few named ones are grabbed by their keysym
// on the real keyboard map; a stored code that no key has says so.
TEST_F(X11HotKeyManagerTest, FunctionKeypadNavigationAndPunctuationKeysAreGrabbed)
{
    HOLDRA_SKIP_WITHOUT_X11();
    HotKeyManager manager(&settings, std::make_unique<X11HotKeyBackend>());
    QSignalSpy pressed(&manager, &HotKeyManager::hotKeyPressed);
    const struct
    {
        quint32 keyCode;
        const char *typed;
    } keys[] = {{96, "ctrl+F5"}, {115, "ctrl+Home"}, {69, "ctrl+KP_Add"}, {44, "ctrl+slash"}, {33, "ctrl+bracketleft"}};
    for (const auto &key : keys) {
        settings.setHotKey(GlobalHotKey(key.keyCode, GlobalHotKey::Modifier::Control));
        EXPECT_TRUE(manager.isRegistered()) << key.typed;
        const qsizetype before = pressed.count();
        ASSERT_TRUE(type(QString::fromLatin1(key.typed)));
        EXPECT_EQ(pressed.count(), before + 1) << key.typed;
    }

    test::MessageLog log;
    settings.setHotKey(GlobalHotKey(200, GlobalHotKey::Modifier::Control));
    EXPECT_FALSE(manager.isRegistered());
    EXPECT_EQ(manager.registrationFailureText(), u"快捷键注册失败：键码 200 在这里没有对应的键"_s);
    EXPECT_EQ(log.count(u"[Holdra] 快捷键注册失败：status=2"_s), 1);
}
