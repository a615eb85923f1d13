#include "Platform/X11PanelWindowHints.h"
#include "Platform/X11WindowListReader.h"
#include "XvfbSession.h"

#include <QProcess>
#include <QRasterWindow>
#include <QTest>
#include <gtest/gtest.h>

using namespace holdra;

namespace {

// The window's _NET_WM_STATE and _NET_WM_DESKTOP as xprop prints them.
QString properties(const QWindow &window)
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window.winId()),
                                          QStringLiteral("_NET_WM_STATE"), QStringLiteral("_NET_WM_DESKTOP")});
    xprop.waitForFinished(5000);
    return QString::fromLatin1(xprop.readAllStandardOutput());
}

// Openbox keeps stickiness as the all-desktops number rather than a state atom.
bool hasPanelHints(const QString &printed)
{
    return printed.contains(QStringLiteral("_NET_WM_STATE_SKIP_TASKBAR"))
        && printed.contains(QStringLiteral("_NET_WM_STATE_SKIP_PAGER"))
        && printed.contains(QStringLiteral("_NET_WM_STATE_ABOVE"))
        && printed.contains(QStringLiteral("_NET_WM_DESKTOP(CARDINAL) = 4294967295"));
}

bool waitForPanelHints(const QWindow &window)
{
    return QTest::qWaitFor([&] { return hasPanelHints(properties(window)); }, 5000);
}

} // namespace

TEST(X11PanelWindowHintsTest, HintsSetBeforeShowingSurviveEveryLaterShow)
{
    HOLDRA_SKIP_WITHOUT_X11();
    X11PanelWindowHints hints;
    ASSERT_TRUE(hints.isAvailable());
    QRasterWindow capsule;
    capsule.setFlags(Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    capsule.resize(190, 34);
    hints.apply(&capsule);
    capsule.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&capsule));
    EXPECT_TRUE(waitForPanelHints(capsule)) << properties(capsule).toStdString();

    // Withdrawing the window drops its state on the window manager's side.
    capsule.hide();
    QTest::qWait(50);
    capsule.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&capsule));
    EXPECT_TRUE(waitForPanelHints(capsule)) << properties(capsule).toStdString();
}

TEST(X11PanelWindowHintsTest, AWindowAlreadyShownIsPinnedThroughTheWindowManager)
{
    HOLDRA_SKIP_WITHOUT_X11();
    X11PanelWindowHints hints;
    X11WindowListReader reader;
    QRasterWindow panel;
    panel.resize(384, 300);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    hints.apply(&panel);
    ASSERT_TRUE(waitForPanelHints(panel)) << properties(panel).toStdString();

    // Sticky: still on screen after switching to another workspace.
    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("set_desktop"), QStringLiteral("1")}), 0);
    const bool listedOnScreen = QTest::qWaitFor([&] {
        QProcess probe;
        probe.start(QStringLiteral("xdotool"), {QStringLiteral("get_desktop")});
        probe.waitForFinished(5000);
        if (probe.readAllStandardOutput().trimmed() != "1")
            return false;
        for (const X11WindowListReader::Window &window : reader.read()) {
            if (window.id == panel.winId())
                return window.onScreen;
        }
        return false;
    }, 5000);
    EXPECT_TRUE(listedOnScreen);
    QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("set_desktop"), QStringLiteral("0")});
}
