#include "Audio/AudioPlaybackController.h"
#include "FakeAudioPlayer.h"
#include "QtPrinters.h"

#include <QHash>
#include <gtest/gtest.h>

#include <limits>

using namespace holdra;
using namespace Qt::StringLiterals;
using test::FakeAudioPlayer;
using test::FakeAudioPlayerState;

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

class AudioPlaybackControllerTest : public ::testing::Test
{
protected:
    // Registers a file the factory can open; any other name fails to open.
    std::shared_ptr<FakeAudioPlayerState> file(const QString &name)
    {
        return *files.insert(name, std::make_shared<FakeAudioPlayerState>());
    }
    bool toggle(const QUuid &id, const QString &name)
    {
        return controller.toggle(id, QUrl::fromLocalFile(u'/' + name));
    }
    void tick() { QMetaObject::invokeMethod(ticker, "timeout"); }

    [[nodiscard]] bool isIdle() const
    {
        return controller.activeItemID().isNull() && !controller.isPlaying() && controller.currentTime() == 0
            && controller.duration() == 0 && !ticker->isActive();
    }

    QHash<QString, std::shared_ptr<FakeAudioPlayerState>> files;
    QTimer *ticker = new QTimer;
    AudioPlaybackController controller{[this](const QUrl &url) -> std::unique_ptr<AudioPlaying> {
                                           const auto state = files.value(url.fileName());
                                           return state ? std::make_unique<FakeAudioPlayer>(state) : nullptr;
                                       },
                                       ticker};
    const QUuid a = QUuid::createUuid();
    const QUuid b = QUuid::createUuid();
};

} // namespace

TEST_F(AudioPlaybackControllerTest, SwitchingItemsStopsTheFirstAndTheTickerFollowsToTheEnd)
{
    const auto first = file(u"a.m4a"_s);
    const auto second = file(u"b.m4a"_s);
    second->duration = 42;
    ASSERT_TRUE(toggle(a, u"a.m4a"_s));
    EXPECT_TRUE(controller.isPlaying());
    EXPECT_EQ(ticker->interval(), 200);

    ASSERT_TRUE(toggle(b, u"b.m4a"_s));
    EXPECT_EQ(first->stopCalls, 1);
    EXPECT_FALSE(first->alive);
    EXPECT_TRUE(second->playing);
    EXPECT_EQ(controller.activeItemID(), b);
    EXPECT_EQ(controller.duration(), 42);

    second->currentTime = 4.25;
    tick();
    EXPECT_EQ(controller.currentTime(), 4.25);
    second->currentTime = 42;
    second->playing = false;
    tick();
    EXPECT_TRUE(isIdle()) << "the end is noticed and the player released";
    EXPECT_FALSE(second->alive);
}

TEST_F(AudioPlaybackControllerTest, PauseResumeAndRestartAfterTheEnd)
{
    const auto state = file(u"a.m4a"_s);
    ASSERT_TRUE(toggle(a, u"a.m4a"_s));
    state->currentTime = 3.5;
    ASSERT_TRUE(toggle(a, u"a.m4a"_s));
    EXPECT_FALSE(controller.isPlaying());
    EXPECT_EQ(controller.currentTime(), 3.5);
    EXPECT_FALSE(ticker->isActive());

    ASSERT_TRUE(toggle(a, u"a.m4a"_s));
    EXPECT_TRUE(controller.isPlaying());
    EXPECT_EQ(state->currentTime, 3.5);

    // Paused past the end (shown clamped), the next toggle starts from 0.
    state->currentTime = 12;
    ASSERT_TRUE(toggle(a, u"a.m4a"_s));
    EXPECT_EQ(controller.currentTime(), 10);
    ASSERT_TRUE(toggle(a, u"a.m4a"_s));
    EXPECT_EQ(state->currentTime, 0);
    EXPECT_TRUE(controller.isPlaying());
}

TEST_F(AudioPlaybackControllerTest, PositionsAreClampedIntoTheFile)
{
    controller.seek(5);
    EXPECT_TRUE(isIdle());

    const auto state = file(u"a.m4a"_s);
    ASSERT_TRUE(toggle(a, u"a.m4a"_s));
    const std::pair<double, double> seeks[] = {{-5, 0}, {99, 10}, {notANumber, 0}};
    for (const auto &[asked, set] : seeks) {
        controller.seek(asked);
        EXPECT_EQ(state->currentTime, set) << asked;
        EXPECT_EQ(controller.currentTime(), set) << asked;
    }
    EXPECT_TRUE(controller.isPlaying());

    // Players that do not know their length yet report nonsense.
    const auto unknown = file(u"b.m4a"_s);
    unknown->duration = notANumber;
    unknown->currentTime = std::numeric_limits<double>::infinity();
    ASSERT_TRUE(toggle(b, u"b.m4a"_s));
    EXPECT_EQ(controller.duration(), 0);
    EXPECT_EQ(controller.currentTime(), 0);
}

TEST_F(AudioPlaybackControllerTest, FailuresLeaveEverythingIdle)
{
    const auto playing = file(u"ok.m4a"_s);
    file(u"unpreparable.m4a"_s)->prepares = false;
    file(u"silent.m4a"_s)->plays = false;
    ASSERT_TRUE(toggle(a, u"ok.m4a"_s));
    // Failing to open the next item still stops the one that was playing.
    EXPECT_FALSE(toggle(b, u"missing.m4a"_s));
    EXPECT_EQ(playing->stopCalls, 1);
    EXPECT_TRUE(isIdle());
    for (const QString &name : {u"unpreparable.m4a"_s, u"silent.m4a"_s}) {
        EXPECT_FALSE(toggle(a, name)) << qPrintable(name);
        EXPECT_FALSE(files[name]->alive) << qPrintable(name);
        EXPECT_TRUE(isIdle()) << qPrintable(name);
    }

    // Resuming can fail too.
    ASSERT_TRUE(toggle(a, u"ok.m4a"_s));
    ASSERT_TRUE(toggle(a, u"ok.m4a"_s));
    playing->plays = false;
    EXPECT_FALSE(toggle(a, u"ok.m4a"_s));
    EXPECT_TRUE(isIdle());
}
