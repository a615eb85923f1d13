#include "Panel/ToastPresenter.h"

#include "ManualClock.h"
#include "Settings/AppSettings.h"
#include "Settings/InMemoryUserDefaults.h"

#include <gtest/gtest.h>

namespace holdra::test {
namespace {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using Sound = SystemSound::Sound;

TEST(ToastPresenterTest, MessagesReplaceEachOtherLastTheirFullTimeAndSoundOnlyWhenWanted)
{
    ManualClock clock;
    InMemoryUserDefaults defaults;
    AppSettings settings(defaults);
    QList<Sound> sounds;
    ToastPresenter toasts(clock, settings, [&](Sound sound) { sounds.append(sound); });

    toasts.show(QString());
    EXPECT_FALSE(toasts.message());
    toasts.show(u"first"_s);
    clock.advance(1000ms);
    toasts.feedback(u"second"_s, ToastPresenter::Kind::error);
    EXPECT_EQ(toasts.message(), u"second"_s);
    EXPECT_TRUE(toasts.isError());
    clock.advance(1299ms);
    EXPECT_EQ(toasts.message(), u"second"_s) << "the first timer must not clear the newer message";
    clock.advance(1ms);
    EXPECT_FALSE(toasts.message());
    EXPECT_TRUE(toasts.isError()) << "the kind stays with the text that fades out";

    toasts.beep();
    settings.setSoundFeedback(false);
    toasts.feedback(u"quiet"_s);
    EXPECT_EQ(sounds, (QList<Sound>{Sound::Pop, Sound::Alert}));
    EXPECT_FALSE(toasts.isError());
}

} // namespace
} // namespace holdra::test
