#include "App/AppDelegate.h"
#include "Desktop/DisplayWatcher.h"
#include "Panel/NotchController.h"
#include "Panel/NotchWindow.h"
#include "Platform/X11PanelWindowHints.h"
#include "Platform/X11RawButtonMonitor.h"
#include "Platform/X11Session.h"
#include "Platform/X11WindowListWatcher.h"
#include "Settings/AppSettings.h"
#include "Settings/InMemoryUserDefaults.h"
#include "StoreFixture.h"
#include "TempDir.h"
#include "X11Client.h"
#include "XrandrMonitors.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QProcess>
#include <QQmlEngine>
#include <QRasterWindow>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace holdra::test {
namespace {

using namespace Qt::StringLiterals;

const QString leftID = u"runtime-left"_s;
const QString rightID = u"runtime-right"_s;

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(5000);
    return QString::fromLatin1(process.readAllStandardOutput());
}

// Where the X server has the window, in its own pixels, as xwininfo reports it.
QRect serverGeometry(const QWindow &window)
{
    const QString info = run(u"xwininfo"_s, {u"-id"_s, QString::number(window.winId())});
    const auto number = [&](QLatin1String label) {
        const qsizetype at = info.indexOf(label);
        return at < 0 ? -1 : info.mid(at + label.size()).section(u'\n', 0, 0).trimmed().toInt();
    };
    if (!info.contains(u"IsViewable"))
        return {};
    return {number("Absolute upper-left X:"_L1), number("Absolute upper-left Y:"_L1), number("Width:"_L1),
            number("Height:"_L1)};
}

void click(const QPoint &native)
{
    run(u"xdotool"_s, {u"mousemove"_s, QString::number(native.x()), QString::number(native.y()), u"click"_s, u"1"_s});
}

// Whether one pixel of the screen, as the X server shows it, is the full-screen window's red.
bool isRed(const QPoint &native)
{
    X11Client client;
    xcb_get_image_reply_t *image =
        xcb_get_image_reply(client.connection(),
                            xcb_get_image(client.connection(), XCB_IMAGE_FORMAT_Z_PIXMAP, client.root(),
                                          qint16(native.x()), qint16(native.y()), 1, 1, ~0u),
                            nullptr);
    if (!image)
        return false;
    const uint8_t *bgrx = xcb_get_image_data(image);
    const bool red = QColor(bgrx[2], bgrx[1], bgrx[0]) == QColor(Qt::red);
    std::free(image);
    return red;
}

bool waitFor(const std::function<bool()> &condition)
{
    return QTest::qWaitFor(condition, 5000);
}

// Two 1920 × 1080 monitors side by side on the private X server ("left" the
// primary one), read through the display watcher, with real windows and
// views. The suite runs at scale 1 and again at scale 2.
class X11DisplaysTest : public StoreFixture
{
protected:
    void SetUp() override
    {
        if (!X11Session::isAvailable())
            GTEST_SKIP() << "no X server";
        m_watcher = std::make_unique<DisplayWatcher>(qGuiApp);
        ASSERT_EQ(m_watcher->identifiers(), (QStringList{leftID, rightID})) << "xrandr split the screen";
        m_scale = m_watcher->displays().first().scale;
        m_settings.setDisplayAttachmentSelection(DisplayAttachmentSelection::selected({leftID, rightID}));
        openStore();
        m_hints = std::make_unique<X11PanelWindowHints>();
    }

    void TearDown() override
    {
        m_controller.reset();
        // A monitor a test took away comes back for the next one.
        if (m_watcher && m_watcher->identifiers().size() < 2)
            XrandrMonitors::set(u"right"_s, XrandrMonitors::right, false, false);
    }

    void makeController()
    {
        NotchController::Environment env;
        env.displays = [this] { return m_watcher->displays(); };
        env.makeWindow = [this](NotchController &controller, const QString &id) {
            return std::make_unique<NotchWindow>(controller, id, m_engine, m_hints.get());
        };
        env.outsideClicks = [](QObject *parent) { return new X11RawButtonMonitor(parent); };
        env.windowList = [] { return std::make_unique<X11WindowListWatcher>(); };
        env.ownPid = qint32(QCoreApplication::applicationPid());
        m_controller = std::make_unique<NotchController>(*m_store, m_settings, std::move(env));
        QObject::connect(m_watcher.get(), &DisplayWatcher::displaysChanged, m_controller.get(),
                         [this] { m_controller->windows().refreshAttachedWindows(); });
    }

    NotchWindow &window(const QString &id) const
    {
        return *static_cast<NotchWindow *>(m_controller->windows().window(id));
    }

    int px(double logical) const { return int(std::lround(logical * m_scale)); }

    // The closed capsule, in the server's pixels, on the monitor centred at `centreX`.
    QRect capsule(int centreX) const { return QRect(centreX - px(95), 0, px(190), px(34)); }

    bool waitForGeometry(const QString &id, const QRect &expected) const
    {
        return waitFor([&] { return m_controller->windows().window(id) && serverGeometry(window(id)) == expected; });
    }

    // A window that fills the right monitor in red, shown once its red is on screen.
    bool startFullScreenWindow()
    {
        m_fullScreen.start(qEnvironmentVariable("HOLDRA_FULL_SCREEN_WINDOW"), {QString::number(rightCentre), u"10"_s});
        return m_fullScreen.waitForStarted(5000) && QTest::qWaitFor([] { return isRed({rightCentre, 610}); }, 10000);
    }
    QPoint inCapsule() const { return {rightCentre, px(17)}; }

    static constexpr int leftCentre = 960;
    static constexpr int rightCentre = 2880;

    double m_scale = 1;
    std::unique_ptr<DisplayWatcher> m_watcher;
    InMemoryUserDefaults m_defaults;
    AppSettings m_settings{m_defaults};
    QQmlEngine m_engine;
    std::unique_ptr<X11PanelWindowHints> m_hints;
    std::unique_ptr<NotchController> m_controller;
    QProcess m_fullScreen; // killed with the test
};

TEST_F(X11DisplaysTest, CapsulesSitAtTheTopCentreOfEachMonitorStayForShowDesktopAndOnlyOutsidePressesClose)
{
    makeController();
    EXPECT_TRUE(waitForGeometry(leftID, capsule(leftCentre)));
    EXPECT_TRUE(waitForGeometry(rightID, capsule(rightCentre)));
    const QString id = QString::number(window(leftID).winId());
    EXPECT_TRUE(run(u"xprop"_s, {u"-id"_s, id, u"_NET_WM_WINDOW_TYPE"_s}).contains(u"_NET_WM_WINDOW_TYPE_DOCK"));
    EXPECT_TRUE(run(u"xprop"_s, {u"-id"_s, id, u"WM_HINTS"_s}).contains(u"input focus: False"));

    // openbox's "show desktop" (Super+D) minimises normal and utility windows, not docks.
    // A key press can reach the server before openbox has bound its keys: press again.
    const auto showingDesktop = [] {
        return run(u"xprop"_s, {u"-root"_s, u"_NET_SHOWING_DESKTOP"_s}).contains(u"= 1");
    };
    bool shown = false;
    for (int attempt = 0; attempt < 5 && !shown; ++attempt) {
        run(u"xdotool"_s, {u"key"_s, u"super+d"_s});
        shown = QTest::qWaitFor(showingDesktop, 2000);
    }
    ASSERT_TRUE(shown);
    EXPECT_EQ(serverGeometry(window(leftID)), capsule(leftCentre));
    EXPECT_EQ(serverGeometry(window(rightID)), capsule(rightCentre));
    run(u"xdotool"_s, {u"key"_s, u"super+d"_s});

    // Only presses outside every Holdra window close the panel.
    click({rightCentre, px(10)});
    ASSERT_TRUE(waitFor([&] { return m_controller->isOpenOn(rightID); }));
    const QRect open = serverGeometry(window(rightID));
    EXPECT_EQ(open.x() + open.width() / 2, rightCentre);
    EXPECT_TRUE(waitFor([&] { return window(rightID).isActive(); }));

    // Holdra's own ordinary window (as the settings or a preview) on the left monitor.
    QRasterWindow own;
    own.setScreen(m_watcher->displays().first().screen);
    own.setGeometry(QRect(QPoint(100, 200), QSize(200, 150)));
    own.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&own));
    const QPoint ownCentre = m_watcher->displays().first().toNative(QRectF(own.geometry()).center()).toPoint();

    QSignalSpy openChanges(m_controller.get(), &NotchController::isOpenChanged);
    // The panel's own empty area, the own window, then another capsule: the
    // panel moves to the left monitor without having closed on the way.
    click({rightCentre, open.bottom() - px(60)});
    click(ownCentre);
    click({leftCentre, px(10)});
    ASSERT_TRUE(waitFor([&] { return m_controller->isOpenOn(leftID); }));
    EXPECT_EQ(openChanges.count(), 0);

    // The desktop of the right monitor is another application's.
    click({rightCentre, 1000});
    EXPECT_TRUE(waitFor([&] { return !m_controller->isOpen(); }));
}

// A full-screen window hides the capsule of its monitor only and closes the
// panel there; with the setting on, capsule and panel show above it.
TEST_F(X11DisplaysTest, AFullScreenWindowHidesTheCapsuleOfItsMonitorOnly)
{
    makeController();
    ASSERT_TRUE(waitForGeometry(rightID, capsule(rightCentre)));
    m_controller->open(rightID);
    ASSERT_TRUE(startFullScreenWindow());
    EXPECT_TRUE(waitFor([&] { return !window(rightID).isVisible() && isRed(inCapsule()); }));
    EXPECT_FALSE(m_controller->isOpen()) << "the panel closes on a covered monitor";
    EXPECT_TRUE(window(leftID).isVisible());
    m_controller->open(rightID);
    EXPECT_FALSE(m_controller->isOpenOn(rightID)) << "nor does it open there";
    m_controller->close();

    m_fullScreen.kill();
    EXPECT_TRUE(waitFor([&] { return window(rightID).isVisible(); }));
    EXPECT_TRUE(waitForGeometry(rightID, capsule(rightCentre)));
    EXPECT_FALSE(m_controller->isOpen()) << "the capsule comes back without the panel";
}

// Switched on while the capsule is hidden by the full-screen window, it comes
// back above it, not mapped below and left there.
TEST_F(X11DisplaysTest, WithTheSettingOnCapsuleAndPanelShowOverAFullScreenWindow)
{
    makeController();
    ASSERT_TRUE(waitForGeometry(rightID, capsule(rightCentre)));
    ASSERT_TRUE(startFullScreenWindow());
    ASSERT_TRUE(waitFor([&] { return !window(rightID).isVisible(); }));
    m_settings.setEnableInFullScreen(true);
    EXPECT_TRUE(waitFor([&] { return !isRed(inCapsule()); })) << "the capsule's dark pill is above the red";
    m_controller->open(rightID);
    EXPECT_TRUE(waitFor([&] { return !isRed({rightCentre, px(200)}); })) << "the panel is above the red";
    EXPECT_TRUE(m_controller->isOpenOn(rightID));

    // Switched off again: the covered monitor's panel closes and its capsule steps aside.
    m_settings.setEnableInFullScreen(false);
    EXPECT_TRUE(waitFor([&] { return !window(rightID).isVisible() && isRed(inCapsule()); }));
    EXPECT_FALSE(m_controller->isOpen());
}

// The application acts on a display change at once, before the burst has
// settled, and again once it has.
TEST_F(X11DisplaysTest, TheApplicationFollowsAMonitorChangeAtOnceAndAgainWhenSettled)
{
    TempDir dir;
    qputenv("XDG_DATA_HOME", dir.filePath(u"data"_s).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", dir.filePath(u"config"_s).toLocal8Bit());
    AppDelegate delegate;
    ASSERT_TRUE(delegate.launch()) << delegate.launchError().toStdString();
    delegate.settings().setDisplayAttachmentSelection(DisplayAttachmentSelection::selected({leftID, rightID}));
    NotchWindowManager &windows = delegate.notchController()->windows();
    ASSERT_EQ(windows.windowDisplayIDs(), (QStringList{leftID, rightID}));

    QSignalSpy settled(&delegate, &AppDelegate::displayConfigurationDidStabilize);
    ASSERT_TRUE(XrandrMonitors::remove(u"right"_s));
    ASSERT_TRUE(waitFor([&] { return windows.windowDisplayIDs() == QStringList{leftID}; }));
    EXPECT_EQ(settled.count(), 0) << "the window went with the settled refresh, not at once";
    EXPECT_TRUE(settled.wait(5000));

    ASSERT_TRUE(XrandrMonitors::set(u"right"_s, XrandrMonitors::right, false, false));
    EXPECT_TRUE(waitFor([&] {
        return windows.windowDisplayIDs().size() == 2
            && serverGeometry(*static_cast<NotchWindow *>(windows.window(rightID))) == capsule(rightCentre);
    }));
}

} // namespace
} // namespace holdra::test
