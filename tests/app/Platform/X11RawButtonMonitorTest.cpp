#include "Platform/X11RawButtonMonitor.h"
#include "XvfbSession.h"

#include <QProcess>
#include <QRasterWindow>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace holdra;

namespace {

bool xdotool(const QStringList &arguments)
{
    return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

} // namespace

TEST(X11RawButtonMonitorTest, ReportsLeftAndRightPressesAnywhereButNotTheWheel)
{
    HOLDRA_SKIP_WITHOUT_X11();
    X11RawButtonMonitor monitor;
    ASSERT_TRUE(monitor.isAvailable());
    QSignalSpy pressed(&monitor, &X11RawButtonMonitor::buttonPressed);
    monitor.start();

    // On the bare desktop: no window of ours is under the pointer.
    ASSERT_TRUE(xdotool({QStringLiteral("mousemove"), QStringLiteral("40"), QStringLiteral("700"),
                         QStringLiteral("click"), QStringLiteral("1")}));
    ASSERT_TRUE(pressed.wait(5000));
    EXPECT_EQ(pressed.takeFirst().at(0).toPoint(), QPoint(40, 700));

    // The wheel does not count; the right button does.
    ASSERT_TRUE(xdotool({QStringLiteral("mousemove"), QStringLiteral("600"), QStringLiteral("20"),
                         QStringLiteral("click"), QStringLiteral("4"), QStringLiteral("click"), QStringLiteral("5"),
                         QStringLiteral("click"), QStringLiteral("3")}));
    ASSERT_TRUE(pressed.wait(5000));
    ASSERT_EQ(pressed.count(), 1);
    EXPECT_EQ(pressed.takeFirst().at(0).toPoint(), QPoint(600, 20));
}

TEST(X11RawButtonMonitorTest, SeesPressesOnOtherClientsWindowsAndStopsWhenAsked)
{
    HOLDRA_SKIP_WITHOUT_X11();
    QRasterWindow other;
    other.setGeometry(300, 300, 200, 200);
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));

    X11RawButtonMonitor monitor;
    X11RawButtonMonitor witness;
    QSignalSpy pressed(&monitor, &X11RawButtonMonitor::buttonPressed);
    QSignalSpy witnessed(&witness, &X11RawButtonMonitor::buttonPressed);
    monitor.start();
    witness.start();
    ASSERT_TRUE(xdotool({QStringLiteral("mousemove"), QStringLiteral("400"), QStringLiteral("400"),
                         QStringLiteral("click"), QStringLiteral("1")}));
    ASSERT_TRUE(pressed.wait(5000));
    ASSERT_TRUE(witnessed.count() == 1 || witnessed.wait(5000));

    monitor.stop();
    EXPECT_FALSE(monitor.isActive());
    ASSERT_TRUE(xdotool({QStringLiteral("click"), QStringLiteral("1")}));
    ASSERT_TRUE(witnessed.wait(5000));
    QTest::qWait(100);
    EXPECT_EQ(pressed.count(), 1);
}
