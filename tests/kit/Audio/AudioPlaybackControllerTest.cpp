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
    // Registers a file the factory can open; any other name fails to open.
    std::shared_ptr<FakeAudioPlayerState> file(const QString &name)
    {
        auto state = std::make_shared<FakeAudioPlayerState>();
        files.insert(name, state);
        return state;
    }

    bool toggle(const QUuid &id, const QString &name) { return controller.toggle(id, QUrl::fromLocalFile(u'/' + name)); }

    void tick() { QMetaObject::invokeMethod(ticker, "timeout"); }

    void expectIdle() const
    {
        EXPECT_TRUE(controller.activeItemID().isNull());
        EXPECT_FALSE(controller.isPlaying());
        EXPECT_EQ(controller.currentTime(), 0);
        EXPECT_EQ(controller.duration(), 0);
        EXPECT_FALSE(ticker->isActive());
    }

    QHash<QString, std::shared_ptr<FakeAudioPlayerState>> files;
    int opened = 0;
    QTimer *ticker = new QTimer;
    AudioPlaybackController controller{[this](const QUrl &url) -> std::unique_ptr<AudioPlaying> {
                                           ++opened;
                                           const auto state = files.value(url.fileName());
                                           return state ? std::make_unique<FakeAudioPlayer>(state) : nullptr;
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

    ASSERT_TRUE(toggle(a, QStringLiteral("a.m4a")));
    EXPECT_TRUE(controller.isActive(a));
    EXPECT_TRUE(controller.isPlaying());
    EXPECT_TRUE(ticker->isActive());
    EXPECT_EQ(ticker->interval(), 200);

    ASSERT_TRUE(toggle(b, QStringLiteral("b.m4a")));
    EXPECT_EQ(first->stopCalls, 1);
    EXPECT_FALSE(first->alive);
    EXPECT_TRUE(second->playing);
    EXPECT_EQ(controller.activeItemID(), b);
    EXPECT_FALSE(controller.isActive(a));
    EXPECT_EQ(controller.duration(), 42);
    EXPECT_TRUE(ticker->isActive());
}

TEST_F(AudioPlaybackControllerTest, PauseResumeAndRestartAfterTheEnd)
{
    const auto state = file(QStringLiteral("a.m4a"));
    ASSERT_TRUE(toggle(a, QStringLiteral("a.m4a")));
    state->currentTime = 3.5;

    ASSERT_TRUE(toggle(a, QStringLiteral("a.m4a")));
    EXPECT_FALSE(controller.isPlaying());
    EXPECT_EQ(controller.currentTime(), 3.5);
    EXPECT_EQ(controller.activeItemID(), a);
    EXPECT_FALSE(ticker->isActive());

    ASSERT_TRUE(toggle(a, QStringLiteral("a.m4a")));
    EXPECT_TRUE(controller.isPlaying());
    EXPECT_EQ(state->currentTime, 3.5);
    EXPECT_EQ(opened, 1);

    // Paused past the end (shown clamped), the next toggle starts from 0.
    state->currentTime = 12;
    ASSERT_TRUE(toggle(a, QStringLiteral("a.m4a")));
    EXPECT_EQ(controller.currentTime(), 10);
    ASSERT_TRUE(toggle(a, QStringLiteral("a.m4a")));
    EXPECT_EQ(state->currentTime, 0);
    EXPECT_EQ(controller.currentTime(), 0);
    EXPECT_TRUE(controller.isPlaying());
}

TEST_F(AudioPlaybackControllerTest, TickerFollowsThePositionAndNoticesTheEnd)
{
    const auto state = file(QStringLiteral("a.m4a"));
    ASSERT_TRUE(toggle(a, QStringLiteral("a.m4a")));

    state->currentTime = 4.25;
    tick();
    EXPECT_EQ(controller.currentTime(), 4.25);
    EXPECT_TRUE(controller.isPlaying());

    state->currentTime = 10;
    state->playing = false;
    tick();
    expectIdle();
    EXPECT_FALSE(state->alive);
}

TEST_F(AudioPlaybackControllerTest, PositionsAreClampedIntoTheFile)
{
    controller.seek(5);
    expectIdle();

    const auto state = file(QStringLiteral("a.m4a"));
    ASSERT_TRUE(toggle(a, QStringLiteral("a.m4a")));
    controller.seek(-5);
    EXPECT_EQ(state->currentTime, 0);
    controller.seek(99);
    EXPECT_EQ(state->currentTime, 10);
    EXPECT_EQ(controller.currentTime(), 10);
    controller.seek(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(controller.currentTime(), 0);
    EXPECT_TRUE(controller.isPlaying());

    // Players that do not know their length yet report nonsense.
    const auto unknown = file(QStringLiteral("b.m4a"));
    unknown->duration = std::numeric_limits<double>::quiet_NaN();
    unknown->currentTime = std::numeric_limits<double>::infinity();
    ASSERT_TRUE(toggle(b, QStringLiteral("b.m4a")));
    EXPECT_EQ(controller.duration(), 0);
    EXPECT_EQ(controller.currentTime(), 0);
}

TEST_F(AudioPlaybackControllerTest, FailuresLeaveEverythingIdle)
{
    const auto playing = file(QStringLiteral("ok.m4a"));
    ASSERT_TRUE(toggle(a, QStringLiteral("ok.m4a")));
    // Failing to open the next item still stops the one that was playing.
    EXPECT_FALSE(toggle(b, QStringLiteral("missing.m4a")));
    EXPECT_EQ(playing->stopCalls, 1);
    expectIdle();

    const auto unpreparable = file(QStringLiteral("broken.m4a"));
    unpreparable->prepares = false;
    EXPECT_FALSE(toggle(a, QStringLiteral("broken.m4a")));
    EXPECT_EQ(unpreparable->playCalls, 0);
    EXPECT_FALSE(unpreparable->alive);
    expectIdle();

    const auto silent = file(QStringLiteral("silent.m4a"));
    silent->plays = false;
    EXPECT_FALSE(toggle(a, QStringLiteral("silent.m4a")));
    EXPECT_EQ(silent->stopCalls, 1);
    expectIdle();

    // Resuming can fail too.
    ASSERT_TRUE(toggle(a, QStringLiteral("ok.m4a")));
    ASSERT_TRUE(toggle(a, QStringLiteral("ok.m4a")));
    playing->plays = false;
    EXPECT_FALSE(toggle(a, QStringLiteral("ok.m4a")));
    expectIdle();

    EXPECT_FALSE(toggle(QUuid(), QStringLiteral("ok.m4a")));
    expectIdle();
}

TEST_F(AudioPlaybackControllerTest, StopPublishesTheIdleStateInOrder)
{
    const auto state = file(QStringLiteral("a.m4a"));
    ASSERT_TRUE(toggle(a, QStringLiteral("a.m4a")));
    state->currentTime = 1;
    tick();

    QStringList published;
    QObject::connect(&controller, &AudioPlaybackController::activeItemIDChanged, [&] { published << QStringLiteral("active"); });
    QObject::connect(&controller, &AudioPlaybackController::isPlayingChanged, [&] { published << QStringLiteral("playing"); });
    QObject::connect(&controller, &AudioPlaybackController::currentTimeChanged, [&] { published << QStringLiteral("time"); });
    QObject::connect(&controller, &AudioPlaybackController::durationChanged, [&] { published << QStringLiteral("duration"); });
    controller.stop();

    EXPECT_EQ(state->stopCalls, 1);
    expectIdle();
    EXPECT_EQ(published, (QStringList{QStringLiteral("active"), QStringLiteral("playing"), QStringLiteral("time"),
                                      QStringLiteral("duration")}));
}
