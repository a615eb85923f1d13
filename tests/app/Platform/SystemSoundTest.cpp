#include "Platform/SystemSound.h"
#include "PulseAudioSession.h"

#include <gtest/gtest.h>

using namespace holdra;

namespace {

// Points libcanberra at one PulseAudio server for the life of the object.
class SoundServerEnvironment
{
public:
    explicit SoundServerEnvironment(const QString &address)
    {
        qputenv("CANBERRA_DRIVER", "pulse");
        qputenv("PULSE_SERVER", address.toLocal8Bit());
    }
    ~SoundServerEnvironment()
    {
        qunsetenv("CANBERRA_DRIVER");
        qunsetenv("PULSE_SERVER");
    }
};

} // namespace

TEST(SystemSoundTest, BothSoundsExistInTheThemeAndReachTheServer)
{
    test::PulseAudioSession server;
    if (!server.isRunning())
        GTEST_SKIP() << server.failure().toStdString();
    SoundServerEnvironment environment(server.serverAddress());

    SystemSound sound;
    EXPECT_TRUE(sound.play(SystemSound::Sound::Pop));
    EXPECT_TRUE(sound.play(SystemSound::Sound::Alert));
}

TEST(SystemSoundTest, WithoutASoundServerPlayingIsSilentAndCheap)
{
    SoundServerEnvironment environment(QStringLiteral("unix:/nonexistent/holdra-no-sound-server"));
    SystemSound sound;
    EXPECT_FALSE(sound.play(SystemSound::Sound::Pop));
    EXPECT_FALSE(sound.play(SystemSound::Sound::Alert));
}
