#include "Platform/X11WindowListReader.h"
#include "XvfbSession.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>
#include <QThread>
#include <QWidget>
#include <gtest/gtest.h>

#include <optional>

using namespace holdra;

namespace {

const QRect screenBounds(0, 0, 1280, 800); // the session's Xvfb screen

std::optional<X11WindowListReader::Window> find(const X11WindowListReader &reader, const QWidget &widget)
{
    for (const X11WindowListReader::Window &window : reader.read()) {
        if (window.id == widget.winId())
            return window;
    }
    return std::nullopt;
}

// Waits until the window manager has put the widget's window into the state `matches` wants.
template<typename Predicate>
std::optional<X11WindowListReader::Window> waitFor(const X11WindowListReader &reader, const QWidget &widget,
                                                   Predicate matches)
{
    std::optional<X11WindowListReader::Window> record;
    const bool matched = QTest::qWaitFor([&] {
        record = find(reader, widget);
        return record && matches(*record);
    }, 5000);
    return matched ? record : std::nullopt;
}

} // namespace

TEST(X11WindowListReaderTest, AFullScreenWindowCoversTheScreenAndNamesItsOwner)
{
    HOLDRA_SKIP_WITHOUT_X11();
    X11WindowListReader reader;
    ASSERT_TRUE(reader.isAvailable());
    QWidget video;
    video.showFullScreen();

    const auto record = waitFor(reader, video, [](const auto &w) { return w.onScreen && w.bounds == screenBounds; });
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->bounds, screenBounds);
    EXPECT_TRUE(record->onScreen);
    EXPECT_EQ(record->ownerPid, qint32(QCoreApplication::applicationPid()));
    EXPECT_EQ(record->layer, 0);
    EXPECT_DOUBLE_EQ(record->alpha, 1.0);
}

TEST(X11WindowListReaderTest, BoundsAreTheClientAreaInRootCoordinatesInsideTheFrame)
{
    HOLDRA_SKIP_WITHOUT_X11();
    X11WindowListReader reader;
    QWidget window;
    window.resize(300, 200);
    window.move(200, 150);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    const auto record = waitFor(reader, window, [&](const auto &w) { return w.bounds == window.geometry(); });
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->bounds, window.geometry());
    EXPECT_EQ(record->bounds.size(), QSize(300, 200));
}

TEST(X11WindowListReaderTest, OpacityTypeMinimisingAndOtherDesktopsAreRead)
{
    HOLDRA_SKIP_WITHOUT_X11();
    X11WindowListReader reader;

    QWidget translucent;
    translucent.setWindowOpacity(0.5);
    translucent.show();
    auto record = waitFor(reader, translucent, [](const auto &w) { return w.onScreen && w.alpha < 1.0; });
    ASSERT_TRUE(record.has_value());
    EXPECT_NEAR(record->alpha, 0.5, 0.01); // Qt stores the opacity in 8 bits

    QWidget dialog(nullptr, Qt::Dialog);
    dialog.show();
    record = waitFor(reader, dialog, [](const auto &w) { return w.onScreen; });
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->layer, 1);

    QWidget minimised;
    minimised.show();
    ASSERT_TRUE(waitFor(reader, minimised, [](const auto &w) { return w.onScreen; }).has_value());
    minimised.showMinimized();
    record = waitFor(reader, minimised, [](const auto &w) { return !w.onScreen; });
    ASSERT_TRUE(record.has_value());
    EXPECT_FALSE(record->onScreen);

    QWidget elsewhere;
    elsewhere.show();
    ASSERT_TRUE(waitFor(reader, elsewhere, [](const auto &w) { return w.onScreen; }).has_value());
    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("set_desktop_for_window"),
                                                            QString::number(elsewhere.winId()), QStringLiteral("1")}),
              0);
    record = waitFor(reader, elsewhere, [](const auto &w) { return !w.onScreen; });
    ASSERT_TRUE(record.has_value());
    EXPECT_FALSE(record->onScreen);
    // Still listed, and the translucent one is untouched by all this.
    const auto stillTranslucent = find(reader, translucent);
    ASSERT_TRUE(stillTranslucent.has_value());
    EXPECT_TRUE(stillTranslucent->onScreen);
}

TEST(X11WindowListReaderTest, ReadsFromAWorkerThreadWhileTheMainThreadServesQt)
{
    HOLDRA_SKIP_WITHOUT_X11();
    X11WindowListReader reader;
    QWidget window;
    window.show();
    ASSERT_TRUE(waitFor(reader, window, [](const auto &w) { return w.onScreen; }).has_value());

    QList<X11WindowListReader::Window> fromWorker;
    std::unique_ptr<QThread> worker(QThread::create([&] { fromWorker = reader.read(); }));
    worker->start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return worker->isFinished(); }, 5000));
    const bool listed = std::any_of(fromWorker.cbegin(), fromWorker.cend(),
                                    [&](const auto &w) { return w.id == window.winId(); });
    EXPECT_TRUE(listed);
}
