// The audio module as the shelf loads it, on the system's real audio stack: a
// private PulseAudio server whose silent source is the microphone, the sound
// theme, the GStreamer encoder, the store, and playback of what was stored.
#include "Platform/AudioModule.h"
#include "Audio/RecordingController.h"
#include "PulseAudioSession.h"
#include "StoreFixture.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <utility>

using namespace holdra;
using namespace Qt::StringLiterals;

namespace {

// What gst-discoverer-1.0 (another player, from gstreamer1.0-plugins-base-apps)
// says about a file, and the length it finds.
struct Discovered
{
    QString report;
    double duration = -1;
};

Discovered discover(const QString &path)
{
    QProcess discoverer;
    discoverer.start(u"gst-discoverer-1.0"_s, {path});
    discoverer.waitForFinished(30000);
    const QString report = QString::fromUtf8(discoverer.readAllStandardOutput());
    const auto match = QRegularExpression(u"Duration: (\\d+):(\\d+):(\\d+\\.\\d+)"_s).match(report);
    if (!match.hasMatch())
        return {report};
    return {report,
            match.captured(1).toDouble() * 3600 + match.captured(2).toDouble() * 60 + match.captured(3).toDouble()};
}

class AudioModuleTest : public test::StoreFixture
{
protected:
    // One server for the suite: Qt's device list stays with the first server it met.
    static void SetUpTestSuite() { s_server = new test::PulseAudioSession; }
    static void TearDownTestSuite() { delete std::exchange(s_server, nullptr); }

    void SetUp() override
    {
        if (!s_server->isRunning())
            GTEST_SKIP() << s_server->failure().toStdString();
        qputenv("PULSE_SERVER", s_server->serverAddress().toLocal8Bit());
        qputenv("CANBERRA_DRIVER", "pulse");
        ASSERT_TRUE(audio.backend()) << "built beside the suite: " << modulePath.toStdString();
    }
    void TearDown() override
    {
        qunsetenv("PULSE_SERVER");
        qunsetenv("CANBERRA_DRIVER");
    }

    // Opens `path` as a row's play button does; nullptr when the file does not play.
    std::unique_ptr<AudioPlaying> load(const QString &path)
    {
        std::optional<std::unique_ptr<AudioPlaying>> player;
        QObject context;
        audio.loadPlayer(QUrl::fromLocalFile(path), &context,
                         [&](std::unique_ptr<AudioPlaying> opened) { player = std::move(opened); });
        return QTest::qWaitFor([&] { return player.has_value(); }, 10000) ? std::move(*player) : nullptr;
    }

    static int pactl(const QString &arguments)
    {
        return QProcess::execute(u"pactl"_s,
                                 QStringList{u"--server="_s + s_server->serverAddress()} + arguments.split(u' '));
    }

    // Records a voice note as the shelf does, for `seconds`, ended by `stop`;
    // the stashed item (none when it was discarded) and how long it really ran.
    std::pair<std::optional<StashItem>, double> record(double seconds,
                                                       const std::function<void(RecordingController &)> &stop)
    {
        RecordingController::Environment environment;
        environment.makeRecorder = audio.recorderFactory();
        environment.scratchDirectory = m_dir.filePath(u"scratch"_s);
        RecordingController recorder(
            openStore(), [this](const QString &message) { messages.append(message); }, environment);
        QSignalSpy stashed(&recorder, &RecordingController::stashed);
        recorder.start();
        if (!recorder.isRecording())
            return {};
        QElapsedTimer elapsed;
        elapsed.start();
        QTest::qWait(int(seconds * 1000));
        EXPECT_GT(recorder.elapsedSeconds(), seconds / 2) << "the clock runs while recording";
        stop(recorder);
        const double ran = elapsed.elapsed() / 1000.0;
        if (!QTest::qWaitFor([&] { return !stashed.isEmpty(); }, 10000))
            return {};
        EXPECT_FALSE(recorder.isRecording());
        return {stashed.first().first().value<StashItem>(), ran};
    }

    const QString modulePath = qEnvironmentVariable("HOLDRA_AUDIO_MODULE");
    AudioModule audio{modulePath};
    QStringList messages; // what the user was told
    static inline test::PulseAudioSession *s_server = nullptr;
};

} // namespace

// Both sounds are in the theme and reach the server; a voice note is recorded
// in the format other players read, and plays to its end.
TEST_F(AudioModuleTest, SoundsPlayAndARecordedVoiceNoteIsMonoAacAtCdRateAndPlaysToItsEnd)
{
    EXPECT_TRUE(audio.play(SystemSound::Sound::Pop));
    EXPECT_TRUE(audio.play(SystemSound::Sound::Alert));
    EXPECT_FALSE(load(m_dir.write(u"broken.m4a"_s, QByteArray(4096, 'x')))) << "a file that is no audio";
    const auto [item, ran] = record(1.5, [](RecordingController &recorder) { EXPECT_TRUE(recorder.stopAndStash()); });
    ASSERT_TRUE(item) << messages.join(u' ').toStdString();
    EXPECT_EQ(item->kind(), StashItemKind::audio);
    const double duration = item->durationSeconds().value_or(0);
    EXPECT_NEAR(duration, ran, 0.15);

    const QString path = m_store->absolutePath(*item).value_or(QString());
    ASSERT_TRUE(path.endsWith(u".m4a"_s)) << path.toStdString();
    const Discovered file = discover(path);
    for (const QString &fact : {u"MPEG-4 AAC"_s, u"Channels: 1"_s, u"Sample rate: 44100"_s})
        EXPECT_TRUE(file.report.contains(fact)) << file.report.toStdString();
    EXPECT_NEAR(file.duration, duration, 0.1) << file.report.toStdString();

    const std::unique_ptr<AudioPlaying> player = load(path);
    ASSERT_TRUE(player);
    ASSERT_TRUE(player->prepareToPlay());
    EXPECT_NEAR(player->duration(), duration, 0.1);
    ASSERT_TRUE(player->play());
    EXPECT_TRUE(player->isPlaying());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !player->isPlaying(); }, 10000)) << "playback reaches the end";
    EXPECT_GT(player->currentTime(), 0.5);
}

TEST_F(AudioModuleTest, AMicrophoneThatGoesAwayEndsTheRecordingAndKeepsIt)
{
    auto replug = qScopeGuard([] { pactl(u"load-module module-null-source source_name=holdra_microphone"_s); });
    const auto [item, ran] =
        record(1.2, [](RecordingController &) { EXPECT_EQ(pactl(u"unload-module module-null-source"_s), 0); });
    ASSERT_TRUE(item) << "the recording did not end, or was not kept";
    EXPECT_GE(item->durationSeconds().value_or(0), 1.0);
    const Discovered file = discover(m_store->absolutePath(*item).value_or(QString()));
    EXPECT_NEAR(file.duration, item->durationSeconds().value_or(0), 0.2) << file.report.toStdString();
}
