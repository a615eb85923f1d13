#include "Audio/AudioPlaybackController.h"
#include "FakeAudioPlayer.h"
#include "QtPrinters.h"

#include <QHash>
#include <gtest/gtest.h>

#include <limits>

using namespace holdra;
using test::FakeAudioPlayer;
using test::FakeAudioPlayerState;

namespace {

class AudioPlaybackControllerTest : public ::testing::Test
{
protected:
    // Files the factory can open; any other URL fails to open.
    std::shared_ptr<FakeAudioPlayerState> file(const QString &name)
    {
        auto state = std::make_shared<FakeAudioPlayerState>();
        files.insert(url(name), state);
        return state;
    }

    static QUrl url(const QString &name) { return QUrl::fromLocalFile(QStringLiteral("/stash/") + name); }

    void tick() { QMetaObject::invokeMethod(ticker, "timeout"); }

    void expectIdle() const
    {
        EXPECT_TRUE(controller.activeItemID().isNull());
        EXPECT_FALSE(controller.isPlaying());
        EXPECT_EQ(controller.currentTime(), 0);
        EXPECT_EQ(controller.duration(), 0);
        EXPECT_FALSE(ticker->isActive());
    }

    QHash<QUrl, std::shared_ptr<FakeAudioPlayerState>> files;
    QList<QUrl> opened;
    QTimer *ticker = new QTimer;
    AudioPlaybackController controller{[this](const QUrl &fileURL) -> std::unique_ptr<AudioPlaying> {
                                           opened.append(fileURL);
                                           const auto state = files.value(fileURL);
                                           if (!state)
                                               return nullptr;
                                           return std::make_unique<FakeAudioPlayer>(state);
                                       },
                                       ticker};
    const QUuid a = QUuid::createUuid();
    const QUuid b = QUuid::createUuid();
};

} // namespace

TEST_F(AudioPlaybackControllerTest, SwitchingItemsStopsTheFirst)
{
    const auto first = file(QStringLiteral("a.m4a"));
    const auto second = file(QStringLiteral("b.m4a"));
    second->duration = 42;
    int activeChanges = 0;
    QObject::connect(&controller, &AudioPlaybackController::activeItemIDChanged, [&] { ++activeChanges; });

    ASSERT_TRUE(controller.toggle(a, url(QStringLiteral("a.m4a"))));
    EXPECT_EQ(controller.activeItemID(), a);
    EXPECT_TRUE(controller.isActive(a));
    EXPECT_TRUE(controller.isPlaying());
    EXPECT_EQ(controller.duration(), 10);
    EXPECT_TRUE(ticker->isActive());
    EXPECT_EQ(ticker->interval(), 200);

    ASSERT_TRUE(controller.toggle(b, url(QStringLiteral("b.m4a"))));
    EXPECT_EQ(first->stopCalls, 1);
    EXPECT_FALSE(first->alive);
    EXPECT_TRUE(second->playing);
    EXPECT_EQ(controller.activeItemID(), b);
    EXPECT_FALSE(controller.isActive(a));
    EXPECT_EQ(controller.duration(), 42);
    EXPECT_TRUE(ticker->isActive());
    // a, then idle on the way, then b.
    EXPECT_EQ(activeChanges, 3);
    EXPECT_FALSE(controller.isActive(QUuid()));
}

TEST_F(AudioPlaybackControllerTest, PauseKeepsThePositionAndResumeContinuesFromIt)
{
    const auto state = file(QStringLiteral("a.m4a"));
    ASSERT_TRUE(controller.toggle(a, url(QStringLiteral("a.m4a"))));
    state->currentTime = 3.5;

    ASSERT_TRUE(controller.toggle(a, url(QStringLiteral("a.m4a"))));
    EXPECT_FALSE(controller.isPlaying());
    EXPECT_EQ(controller.currentTime(), 3.5);
    EXPECT_EQ(controller.activeItemID(), a);
    EXPECT_FALSE(ticker->isActive());
    EXPECT_EQ(state->pauseCalls, 1);

    ASSERT_TRUE(controller.toggle(a, url(QStringLiteral("a.m4a"))));
    EXPECT_TRUE(controller.isPlaying());
    EXPECT_EQ(state->currentTime, 3.5);
    EXPECT_EQ(state->playCalls, 2);
    EXPECT_EQ(opened.size(), 1);
    EXPECT_TRUE(ticker->isActive());
}

TEST_F(AudioPlaybackControllerTest, ResumingAtTheEndRestartsFromZero)
{
    const auto state = file(QStringLiteral("a.m4a"));
    ASSERT_TRUE(controller.toggle(a, url(QStringLiteral("a.m4a"))));
    state->currentTime = 12; // past the end; shown clamped
    ASSERT_TRUE(controller.toggle(a, url(QStringLiteral("a.m4a"))));
    EXPECT_EQ(controller.currentTime(), 10);

    ASSERT_TRUE(controller.toggle(a, url(QStringLiteral("a.m4a"))));
    EXPECT_EQ(state->currentTime, 0);
    EXPECT_EQ(controller.currentTime(), 0);
    EXPECT_TRUE(controller.isPlaying());
}

TEST_F(AudioPlaybackControllerTest, TickerFollowsThePositionAndNoticesTheEnd)
{
    const auto state = file(QStringLiteral("a.m4a"));
    ASSERT_TRUE(controller.toggle(a, url(QStringLiteral("a.m4a"))));

    state->currentTime = 4.25;
    tick();
    EXPECT_EQ(controller.currentTime(), 4.25);
    EXPECT_TRUE(controller.isPlaying());

    state->currentTime = 10;
    state->playing = false;
    tick();
    expectIdle();
    EXPECT_FALSE(state->alive);

    // A stray tick while idle changes nothing.
    controller.refreshProgress();
    expectIdle();
}

TEST_F(AudioPlaybackControllerTest, SeekIsClampedAndNeedsALoadedItem)
{
    controller.seek(5);
    expectIdle();

    const auto state = file(QStringLiteral("a.m4a"));
    ASSERT_TRUE(controller.toggle(a, url(QStringLiteral("a.m4a"))));
    controller.seek(-5);
    EXPECT_EQ(state->currentTime, 0);
    EXPECT_EQ(controller.currentTime(), 0);
    controller.seek(99);
    EXPECT_EQ(state->currentTime, 10);
    EXPECT_EQ(controller.currentTime(), 10);
    controller.seek(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(controller.currentTime(), 0);
    controller.seek(6.5);
    EXPECT_EQ(controller.currentTime(), 6.5);
    EXPECT_TRUE(controller.isPlaying());

    ASSERT_TRUE(controller.toggle(a, url(QStringLiteral("a.m4a"))));
    controller.seek(2);
    EXPECT_FALSE(controller.isPlaying());
    EXPECT_EQ(controller.currentTime(), 2);
}

TEST_F(AudioPlaybackControllerTest, FailuresToStartLeaveEverythingIdle)
{
    EXPECT_FALSE(controller.toggle(a, url(QStringLiteral("missing.m4a"))));
    expectIdle();

    const auto unpreparable = file(QStringLiteral("broken.m4a"));
    unpreparable->prepares = false;
    EXPECT_FALSE(controller.toggle(a, url(QStringLiteral("broken.m4a"))));
    EXPECT_EQ(unpreparable->playCalls, 0);
    EXPECT_FALSE(unpreparable->alive);
    expectIdle();

    const auto silent = file(QStringLiteral("silent.m4a"));
    silent->plays = false;
    EXPECT_FALSE(controller.toggle(a, url(QStringLiteral("silent.m4a"))));
    EXPECT_EQ(silent->stopCalls, 1);
    expectIdle();

    // A failing second item still stops the one that was playing.
    const auto playing = file(QStringLiteral("ok.m4a"));
    ASSERT_TRUE(controller.toggle(a, url(QStringLiteral("ok.m4a"))));
    EXPECT_FALSE(controller.toggle(b, url(QStringLiteral("missing.m4a"))));
    EXPECT_EQ(playing->stopCalls, 1);
    expectIdle();

    EXPECT_FALSE(controller.toggle(QUuid(), url(QStringLiteral("ok.m4a"))));
    expectIdle();
}

TEST_F(AudioPlaybackControllerTest, ResumeThatFailsGoesIdle)
{
    const auto state = file(QStringLiteral("a.m4a"));
    ASSERT_TRUE(controller.toggle(a, url(QStringLiteral("a.m4a"))));
    ASSERT_TRUE(controller.toggle(a, url(QStringLiteral("a.m4a"))));
    state->plays = false;
    EXPECT_FALSE(controller.toggle(a, url(QStringLiteral("a.m4a"))));
    EXPECT_EQ(state->stopCalls, 1);
    expectIdle();
}

TEST_F(AudioPlaybackControllerTest, NonsenseFromThePlayerIsClamped)
{
    const auto state = file(QStringLiteral("a.m4a"));
    state->duration = -3;
    state->currentTime = std::numeric_limits<double>::infinity();
    ASSERT_TRUE(controller.toggle(a, url(QStringLiteral("a.m4a"))));
    EXPECT_EQ(controller.duration(), 0);
    EXPECT_EQ(controller.currentTime(), 0);

    controller.stop();
    state->duration = std::numeric_limits<double>::quiet_NaN();
    state->currentTime = -1;
    ASSERT_TRUE(controller.toggle(b, url(QStringLiteral("a.m4a"))));
    EXPECT_EQ(controller.duration(), 0);
    EXPECT_EQ(controller.currentTime(), 0);
}

TEST_F(AudioPlaybackControllerTest, StopReturnsToIdleAndPublishesInOrder)
{
    const auto state = file(QStringLiteral("a.m4a"));
    ASSERT_TRUE(controller.toggle(a, url(QStringLiteral("a.m4a"))));
    state->currentTime = 1;
    tick();

    QStringList published;
    QObject::connect(&controller, &AudioPlaybackController::activeItemIDChanged, [&] { published << QStringLiteral("active"); });
    QObject::connect(&controller, &AudioPlaybackController::isPlayingChanged, [&] { published << QStringLiteral("playing"); });
    QObject::connect(&controller, &AudioPlaybackController::currentTimeChanged, [&] { published << QStringLiteral("time"); });
    QObject::connect(&controller, &AudioPlaybackController::durationChanged, [&] { published << QStringLiteral("duration"); });
    controller.stop();

    EXPECT_EQ(state->stopCalls, 1);
    EXPECT_FALSE(state->alive);
    expectIdle();
    EXPECT_EQ(published, (QStringList{QStringLiteral("active"), QStringLiteral("playing"), QStringLiteral("time"),
                                      QStringLiteral("duration")}));
}
