#include "MessageLog.h"
#include "Platform/X11HotKeyGrabber.h"
#include "Platform/X11PanelWindowHints.h"
#include "Platform/X11RawButtonMonitor.h"
#include "Platform/X11WindowListReader.h"

#include <QGuiApplication>
#include <QWindow>
#include <gtest/gtest.h>

using namespace holdra;

// This suite runs on the offscreen platform: there is no X server, and every
// X11 adapter must stay inert, say so once and never crash.

TEST(PlatformWithoutX11Test, TheHotKeyGrabberSaysOnceThatTheHotKeyIsOff)
{
    ASSERT_NE(QGuiApplication::platformName(), QLatin1String("xcb"));
    test::MessageLog log;
    X11HotKeyGrabber grabber;
    EXPECT_EQ(grabber.grab(0x20, X11HotKeyGrabber::Control).status, X11HotKeyGrabber::Result::Unavailable);
    EXPECT_EQ(grabber.grab(0x20, X11HotKeyGrabber::Control).status, X11HotKeyGrabber::Result::Unavailable);
    grabber.ungrab();
    EXPECT_FALSE(grabber.isGrabbed());
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().front().contains(QStringLiteral("hot key is off")));
}

TEST(PlatformWithoutX11Test, TheWindowListReaderListsNothing)
{
    test::MessageLog log;
    const X11WindowListReader reader;
    EXPECT_FALSE(reader.isAvailable());
    EXPECT_TRUE(reader.read().isEmpty());
    EXPECT_EQ(log.count(QStringLiteral("full-screen windows are not detected")), 1);
}

TEST(PlatformWithoutX11Test, PanelHintsAndTheClickMonitorDoNothing)
{
    test::MessageLog log;
    X11PanelWindowHints hints;
    QWindow window;
    hints.apply(&window);
    window.show();
    EXPECT_FALSE(hints.isAvailable());

    X11RawButtonMonitor monitor;
    monitor.start();
    EXPECT_FALSE(monitor.isAvailable());
    EXPECT_FALSE(monitor.isActive());
    EXPECT_EQ(log.count(QStringLiteral("pinned to every workspace")), 1);
    EXPECT_EQ(log.count(QStringLiteral("clicks outside the panel")), 1);
}
