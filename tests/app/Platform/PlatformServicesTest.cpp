// Runs on the offscreen platform: a session Holdra has no window-system
// adapters for, and an audio module that is missing or has no sound server.
#include "Platform/PlatformServices.h"
#include "HotKey/GlobalHotKey.h"
#include "MessageLog.h"
#include "Platform/HotKeyBackend.h"
#include "Platform/OutsideClickMonitor.h"
#include "Platform/PanelWindowHints.h"

#include <QGuiApplication>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

using namespace holdra;
using namespace Qt::StringLiterals;

TEST(PlatformServicesTest, WithoutX11EveryServiceIsInertAndSaysOnceWhatIsOff)
{
    ASSERT_NE(QGuiApplication::platformName(), "xcb"_L1);
    test::MessageLog log;
    const std::unique_ptr<PlatformServices> platform = PlatformServices::make(u"/nonexistent/holdra-audio.so"_s);

    QWindow window;
    platform->windowHints().apply(&window);
    platform->windowHints().setAboveFullScreen(&window, true);
    window.show();
    EXPECT_FALSE(window.flags().testFlag(Qt::X11BypassWindowManagerHint));

    QObject owner;
    OutsideClickMonitor *clicks = platform->makeOutsideClickMonitor(&owner);
    ASSERT_TRUE(clicks);
    clicks->start();
    EXPECT_FALSE(clicks->isAvailable());

    const std::unique_ptr<HotKeyBackend> hotKey = platform->makeHotKeyBackend();
    hotKey->bind(GlobalHotKey::defaultHotKey());
    EXPECT_FALSE(hotKey->isBound());
    EXPECT_FALSE(hotKey->failureText().isEmpty()) << "the settings say why the key does nothing";
    EXPECT_EQ(platform->keycodeMap()(65), std::nullopt);

    EXPECT_FALSE(platform->windowListFactory());
    EXPECT_EQ(log.count(u"the global hot key is off"_s), 1);
    EXPECT_EQ(log.count(u"full-screen detection is off"_s), 1);
}

TEST(PlatformServicesTest, WithoutTheAudioModuleOrASoundServerSoundsRecordingAndPlaybackFailQuietly)
{
    test::MessageLog log;
    AudioModule audio(u"/nonexistent/holdra-audio.so"_s);
    EXPECT_FALSE(audio.play(SystemSound::Sound::Alert));
    EXPECT_FALSE(audio.recorderFactory()(u"/tmp/never.m4a"_s, [] {}));

    bool called = false;
    std::unique_ptr<AudioPlaying> player;
    QObject context;
    audio.loadPlayer(QUrl::fromLocalFile(u"/tmp/note.m4a"_s), &context, [&](std::unique_ptr<AudioPlaying> loaded) {
        called = true;
        player = std::move(loaded);
    });
    EXPECT_FALSE(called) << "the answer comes on a later turn, as with the module";
    ASSERT_TRUE(QTest::qWaitFor([&] { return called; }, 5000));
    EXPECT_FALSE(player);
    EXPECT_FALSE(audio.isLoaded());
    EXPECT_EQ(log.count(u"no audio module"_s), 1) << "said once, not at every sound";

    // The module without a sound server: silent, not stuck.
    qputenv("CANBERRA_DRIVER", "pulse");
    qputenv("PULSE_SERVER", "unix:/nonexistent/holdra-no-sound-server");
    AudioModule loaded(qEnvironmentVariable("HOLDRA_AUDIO_MODULE"));
    ASSERT_TRUE(loaded.backend());
    EXPECT_FALSE(loaded.play(SystemSound::Sound::Pop));
    EXPECT_FALSE(loaded.play(SystemSound::Sound::Alert));
    qunsetenv("PULSE_SERVER");
    qunsetenv("CANBERRA_DRIVER");
}
