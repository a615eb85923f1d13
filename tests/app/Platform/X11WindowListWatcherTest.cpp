#include "Platform/X11WindowListWatcher.h"
#include "XvfbSession.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

using namespace holdra;

namespace {

const QRectF screenBounds(0, 0, 1280, 800); // the session's Xvfb screen

int run(const QString &program, const QStringList &arguments)
{
    return QProcess::execute(program, arguments);
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
TEST(X11WindowListWatcherTest, OnlyChangesThatMatterAreReported)
{
    HOLDRA_SKIP_WITHOUT_X11();
    X11WindowListReader reader;
    ASSERT_TRUE(reader.isAvailable());
    reader.watchChanges();
    reportedAfterRoundTrip(reader);

    ASSERT_EQ(run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("-f"), QStringLiteral("HOLDRA_UNRELATED"),
                                            QStringLiteral("8s"), QStringLiteral("-set"), QStringLiteral("HOLDRA_UNRELATED"),
                                            QStringLiteral("x")}),
              0);
    EXPECT_FALSE(reportedAfterRoundTrip(reader)) << "a root property the list does not depend on";

    // A window that appears after the watch began is watched from its first read on.
    QWidget window;
    window.resize(300, 200);
    window.show();
    const QString id = QString::number(window.winId());
    ASSERT_TRUE(QTest::qWaitFor([&] {
        const auto windows = reader.read();
        return std::any_of(windows.cbegin(), windows.cend(), [&](const auto &w) { return w.id == window.winId() && w.onScreen; });
    }, 5000));

    struct Change
    {
        const char *what;
        QString program;
        QStringList arguments;
    };
    const QList<Change> changes{
        {"opacity", QStringLiteral("xprop"),
         {QStringLiteral("-id"), id, QStringLiteral("-f"), QStringLiteral("_NET_WM_WINDOW_OPACITY"), QStringLiteral("32c"),
          QStringLiteral("-set"), QStringLiteral("_NET_WM_WINDOW_OPACITY"), QStringLiteral("0x7fffffff")}},
        {"position", QStringLiteral("xdotool"), {QStringLiteral("windowmove"), id, QStringLiteral("50"), QStringLiteral("60")}},
        {"size", QStringLiteral("xdotool"), {QStringLiteral("windowsize"), id, QStringLiteral("400"), QStringLiteral("300")}},
        {"current desktop", QStringLiteral("xdotool"), {QStringLiteral("set_desktop"), QStringLiteral("1")}},
        {"back to the first desktop", QStringLiteral("xdotool"), {QStringLiteral("set_desktop"), QStringLiteral("0")}},
        {"minimised", QStringLiteral("xdotool"), {QStringLiteral("windowminimize"), id}},
    };
    for (const Change &change : changes) {
        reportedAfterRoundTrip(reader);
        ASSERT_EQ(run(change.program, change.arguments), 0) << change.what;
        // The window manager may act on a request after the tool has exited.
        EXPECT_TRUE(QTest::qWaitFor([&] { return reportedAfterRoundTrip(reader); }, 5000)) << change.what;
    }
}

TEST(X11WindowListWatcherTest, FollowingOnlyItsAnnouncementsAFullScreenWindowIsSeenComeAndGo)
{
    HOLDRA_SKIP_WITHOUT_X11();
    X11WindowListWatcher watcher;
    ASSERT_TRUE(watcher.isAvailable());
    QSignalSpy announced(&watcher, &WindowListSource::changed);
    const auto covered = [&] {
        const QList<WindowCoverageSnapshot> windows = watcher.read();
        return std::any_of(windows.cbegin(), windows.cend(),
                           [](const auto &w) { return w.onScreen && w.bounds == screenBounds; });
    };
    // As the full-screen monitor does: read once, then again after each announcement.
    const auto followUntil = [&](bool wanted) {
        bool state = covered();
        while (state != wanted) {
            if (announced.isEmpty() && !announced.wait(5000))
                return false;
            announced.clear();
            state = covered();
        }
        return true;
    };
    ASSERT_TRUE(followUntil(false));

    QWidget video;
    video.resize(300, 200);
    video.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&video));
    video.showFullScreen();
    EXPECT_TRUE(followUntil(true)) << "going full-screen was not announced";

    video.close();
    EXPECT_TRUE(followUntil(false)) << "closing was not announced";
}
