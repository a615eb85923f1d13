// What Holdra reads from and tells the window manager on a real X server:
// the panel hints, and the window list that full-screen detection reads.
#include "Platform/PanelWindowHints.h"
#include "Platform/PlatformServices.h"
#include "Platform/X11WindowListReader.h"
#include "XvfbSession.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRasterWindow>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <optional>

using namespace holdra;
using namespace Qt::StringLiterals;
using Window = X11WindowListReader::Window;

namespace {

const QRect screenBounds(0, 0, 1280, 800); // the session's Xvfb screen

int run(const QString &program, const QString &arguments)
{
    return QProcess::execute(program, arguments.split(u' '));
}

QString output(const QString &program, const QString &arguments)
{
    QProcess process;
    process.start(program, arguments.split(u' '));
    process.waitForFinished(5000);
    return QString::fromLatin1(process.readAllStandardOutput()).trimmed();
}

std::optional<Window> find(const X11WindowListReader &reader, WId id)
{
    for (const Window &window : reader.read()) {
        if (window.id == id)
            return window;
    }
    return std::nullopt;
}

// Waits until the window manager has put the window into the state `matches` wants.
template<typename Predicate>
std::optional<Window> waitFor(const X11WindowListReader &reader, WId id, Predicate matches)
{
    std::optional<Window> record;
    const bool matched = QTest::qWaitFor(
        [&] {
            record = find(reader, id);
            return record && matches(*record);
        },
        5000);
    return matched ? record : std::nullopt;
}

// Openbox keeps stickiness as the all-desktops number rather than a state atom.
bool waitForPanelHints(const QWindow &window)
{
    const QStringList wanted{u"_NET_WM_STATE_SKIP_TASKBAR"_s, u"_NET_WM_STATE_SKIP_PAGER"_s, u"_NET_WM_STATE_ABOVE"_s,
                             u"_NET_WM_DESKTOP(CARDINAL) = 4294967295"_s};
    return QTest::qWaitFor(
        [&] {
            const QString printed = output(u"xprop"_s, u"-id %1 _NET_WM_STATE _NET_WM_DESKTOP"_s.arg(window.winId()));
            return std::all_of(wanted.begin(), wanted.end(), [&](const QString &w) { return printed.contains(w); });
        },
        5000);
}

} // namespace

TEST(X11WindowsTest, TheListGivesClientBoundsOwnerLayerOpacityAndVisibility)
{
    HOLDRA_SKIP_WITHOUT_X11();
    X11WindowListReader reader;
    QWidget video;
    video.showFullScreen();
    auto record =
        waitFor(reader, video.winId(), [](const Window &w) { return w.onScreen && w.bounds == screenBounds; });
    ASSERT_TRUE(record);
    EXPECT_EQ(record->ownerPid, qint32(QCoreApplication::applicationPid()));
    EXPECT_EQ(record->layer, 0);
    EXPECT_DOUBLE_EQ(record->alpha, 1.0);
    video.close();

    // The client area in root coordinates, inside the frame.
    QWidget framed;
    framed.setGeometry(200, 150, 300, 200);
    framed.show();
    EXPECT_TRUE(waitFor(reader, framed.winId(), [&](const Window &w) { return w.bounds == framed.geometry(); }));

    QWidget translucent;
    translucent.setWindowOpacity(0.5);
    translucent.show();
    record = waitFor(reader, translucent.winId(), [](const Window &w) { return w.onScreen && w.alpha < 1.0; });
    ASSERT_TRUE(record);
    EXPECT_NEAR(record->alpha, 0.5, 0.01); // Qt stores the opacity in 8 bits

    QWidget dialog(nullptr, Qt::Dialog);
    dialog.show();
    record = waitFor(reader, dialog.winId(), [](const Window &w) { return w.onScreen; });
    ASSERT_TRUE(record);
    EXPECT_EQ(record->layer, 1);

    // Minimised, or on another desktop: listed, but not on screen.
    QWidget minimised, elsewhere;
    for (QWidget *widget : {&minimised, &elsewhere}) {
        widget->show();
        ASSERT_TRUE(waitFor(reader, widget->winId(), [](const Window &w) { return w.onScreen; }));
    }
    minimised.showMinimized();
    ASSERT_EQ(run(u"xdotool"_s, u"set_desktop_for_window %1 1"_s.arg(elsewhere.winId())), 0);
    for (QWidget *widget : {&minimised, &elsewhere})
        EXPECT_TRUE(waitFor(reader, widget->winId(), [](const Window &w) { return !w.onScreen; }));
    EXPECT_TRUE(find(reader, translucent.winId()).value_or(Window()).onScreen);
}

TEST(X11WindowsTest, PanelHintsHoldOverEveryShowAndPinTheWindowToEveryWorkspace)
{
    HOLDRA_SKIP_WITHOUT_X11();
    const std::unique_ptr<PlatformServices> platform = PlatformServices::make();
    QRasterWindow capsule;
    capsule.setFlags(Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    capsule.resize(190, 34);
    platform->windowHints().apply(&capsule);
    capsule.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&capsule));
    EXPECT_TRUE(waitForPanelHints(capsule));
    // Withdrawing the window drops its state on the window manager's side.
    capsule.hide();
    capsule.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&capsule));
    EXPECT_TRUE(waitForPanelHints(capsule));

    ASSERT_EQ(run(u"xdotool"_s, u"set_desktop 1"_s), 0);
    X11WindowListReader reader;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return output(u"xdotool"_s, u"get_desktop"_s) == u"1"_s
                && find(reader, capsule.winId()).value_or(Window()).onScreen;
        },
        5000))
        << "still on screen on another workspace";
    run(u"xdotool"_s, u"set_desktop 0"_s);
}
