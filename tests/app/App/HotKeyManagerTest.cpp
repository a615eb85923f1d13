#include "App/HotKeyManager.h"
#include "MessageLog.h"
#include "Platform/X11HotKeyBackend.h"
#include "Settings/AppSettings.h"
#include "Settings/InMemoryUserDefaults.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

using namespace holdra;

// Without an X server (native Wayland; here the offscreen platform) the manager
// stays inert: it says so once and shows why there is no shortcut.
TEST(HotKeyManagerTest, WithoutX11ItSaysOnceThatThereIsNoShortcut)
{
    ASSERT_NE(QGuiApplication::platformName(), QLatin1String("xcb"));
    InMemoryUserDefaults defaults;
    AppSettings settings(defaults);
    test::MessageLog log;

    HotKeyManager manager(&settings, std::make_unique<X11HotKeyBackend>());
    settings.setHotKey(GlobalHotKey(40, GlobalHotKey::Modifier::Control));
    manager.setSuspended(true);
    manager.setSuspended(false);

    EXPECT_FALSE(manager.isRegistered());
    EXPECT_EQ(manager.registrationFailureText(), QStringLiteral("当前桌面不支持全局快捷键"));
    EXPECT_EQ(log.lines().size(), 1);
    EXPECT_EQ(log.count(QStringLiteral("hot key is off")), 1);
}
