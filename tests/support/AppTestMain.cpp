#include "SkipsFailInCI.h"

#include <QApplication>
#include <QtQml/qqmlextensionplugin.h>
#include <gtest/gtest.h>

#ifdef HOLDRA_TEST_START_X_SERVER
#include "XrandrMonitors.h"
#include "XvfbSession.h"

#include <iostream>
#endif

// The views live in a static QML module; importing it here lets every
// suite load them by name.
Q_IMPORT_QML_PLUGIN(HoldraQmlPlugin)

// Application suites need a QApplication (windows, the tray menu, widgets).
// ctest runs them on the offscreen platform; X11*Test suites get their own
// Xvfb and run on the xcb platform instead, or skip their X11 cases when no
// X server can be started. The X11Display*Test suites get a screen of two
// 1920 × 1080 monitors side by side.
int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    holdra::test::SkipsFailInCI::installWhenInCI();
    // Listing the cases (ctest's discovery at build time) needs no display.
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    // The suites choose their session; a developer's Wayland desktop is not theirs.
    qunsetenv("WAYLAND_DISPLAY");
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef HOLDRA_TEST_START_X_SERVER
#ifdef HOLDRA_TEST_TWO_MONITORS
    holdra::test::XvfbSession xserver(QStringLiteral("3840x1080x24"));
#else
    holdra::test::XvfbSession xserver;
#endif
    if (xserver.isRunning()) {
        qputenv("DISPLAY", xserver.display().toLocal8Bit());
        qputenv("QT_QPA_PLATFORM", "xcb");
#ifdef HOLDRA_TEST_TWO_MONITORS
        if (!holdra::test::XrandrMonitors::splitIntoLeftAndRight())
            std::cerr << "xrandr could not split the screen into two monitors\n";
#endif
    } else {
        std::cerr << "no private X server: " << xserver.failure().toStdString() << '\n';
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
#endif
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
