// What Holdra reads from and tells the window manager on a real X server:
// the panel hints, and the window list that full-screen detection follows.
#include "Platform/PanelWindowHints.h"
#include "Platform/PlatformServices.h"
#include "Platform/X11WindowListReader.h"
#include "XvfbSession.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRasterWindow>
#include <QTest>
#include <QThread>
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

// After a round trip on the reader's own connection every report the server
// made before it is queued there, so the answer no longer depends on timing.
bool reportedAfterRoundTrip(const X11WindowListReader &reader)
{
    reader.read();
    return reader.takeChanges();
}

} // namespace

// First in the file: no window of an earlier test is still being taken down.
TEST(X11WindowsTest, OnlyChangesThatMatterAreReported)
{
    HOLDRA_SKIP_WITHOUT_X11();
    X11WindowListReader reader;
    ASSERT_TRUE(reader.isAvailable());
    reader.watchChanges();
    reportedAfterRoundTrip(reader);
    ASSERT_EQ(run(u"xprop"_s, u"-root -f HOLDRA_UNRELATED 8s -set HOLDRA_UNRELATED x"_s), 0);
    EXPECT_FALSE(reportedAfterRoundTrip(reader)) << "a root property the list does not depend on";

    // A window that appears after the watch began is watched from its first read on.
    QWidget window;
    window.resize(300, 200);
    window.show();
    ASSERT_TRUE(waitFor(reader, window.winId(), [](const Window &w) { return w.onScreen; }));
    const QString id = QString::number(window.winId());
    const struct
    {
        QString program, arguments;
    } changes[] = {
        {u"xprop"_s, u"-id %1 -f _NET_WM_WINDOW_OPACITY 32c -set _NET_WM_WINDOW_OPACITY 0x7fffffff"_s.arg(id)},
        {u"xdotool"_s, u"windowmove %1 50 60"_s.arg(id)},
        {u"xdotool"_s, u"windowsize %1 400 300"_s.arg(id)},
        {u"xdotool"_s, u"set_desktop 1"_s},
        {u"xdotool"_s, u"set_desktop 0"_s},
        {u"xdotool"_s, u"windowminimize %1"_s.arg(id)},
    };
    for (const auto &change : changes) {
        reportedAfterRoundTrip(reader);
        ASSERT_EQ(run(change.program, change.arguments), 0) << qPrintable(change.arguments);
        // The window manager may act on a request after the tool has exited.
        EXPECT_TRUE(QTest::qWaitFor([&] { return reportedAfterRoundTrip(reader); }, 5000))
            << qPrintable(change.arguments);
    }
}

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

    // Read off the main thread, as full-screen detection does, while this one serves Qt.
    QList<Window> fromWorker;
    std::unique_ptr<QThread> worker(QThread::create([&] { fromWorker = reader.read(); }));
    worker->start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return worker->isFinished(); }, 5000));
    EXPECT_TRUE(
        std::any_of(fromWorker.cbegin(), fromWorker.cend(), [&](const Window &w) { return w.id == dialog.winId(); }));
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
