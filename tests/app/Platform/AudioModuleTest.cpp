// The audio module as the shelf loads it, on the system's real audio stack: a
// private PulseAudio server whose null sink's monitor is the microphone, the
// sound theme, the GStreamer encoder, the store, and playback of what was stored.
#include "Platform/AudioModule.h"
#include "Audio/RecordingController.h"
#include "PulseAudioSession.h"
#include "StoreFixture.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <gtest/gtest.h>

using namespace holdra;
using namespace Qt::StringLiterals;

namespace {

// What gst-discoverer-1.0 (another player) says about a file, and the length it finds.
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
    static void TearDownTestSuite()
    {
        delete s_server;
        s_server = nullptr;
    }

    void SetUp() override
    {
        if (!s_server->isRunning())
            GTEST_SKIP() << s_server->failure().toStdString();
        qputenv("PULSE_SERVER", s_server->serverAddress().toLocal8Bit());
        qputenv("CANBERRA_DRIVER", "pulse");
        ASSERT_TRUE(audio.backend()) << "built beside the suite: " << qPrintable(modulePath);
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
        EXPECT_FALSE(player) << "the player is handed out on a later turn";
        return QTest::qWaitFor([&] { return player.has_value(); }, 10000) ? std::move(*player) : nullptr;
    }

    const QString modulePath = qEnvironmentVariable("HOLDRA_AUDIO_MODULE");
    AudioModule audio{modulePath};

    static int pactl(const QString &arguments)
    {
        return QProcess::execute(u"pactl"_s,
                                 (u"--server="_s + s_server->serverAddress() + u' ' + arguments).split(u' '));
    }
    // A recorder of voice notes as the shelf makes it, into `store`.
    std::unique_ptr<RecordingController> makeRecorder(StashStore &store, QStringList *messages)
    {
        RecordingController::Environment environment;
        environment.makeRecorder = audio.recorderFactory();
        environment.scratchDirectory = m_dir.filePath(u"scratch"_s);
        return std::make_unique<RecordingController>(
            store, [messages](const QString &message) { messages->append(message); }, environment);
    }

    static inline test::PulseAudioSession *s_server = nullptr;
};

} // namespace

TEST(AudioModuleWithoutServerTest, SoundsAreSilent)
{
    qputenv("CANBERRA_DRIVER", "pulse");
    qputenv("PULSE_SERVER", "unix:/nonexistent/holdra-no-sound-server");
    AudioModule audio(qEnvironmentVariable("HOLDRA_AUDIO_MODULE"));
    ASSERT_TRUE(audio.backend());
    EXPECT_FALSE(audio.play(SystemSound::Sound::Pop));
    EXPECT_FALSE(audio.play(SystemSound::Sound::Alert));
    qunsetenv("PULSE_SERVER");
    qunsetenv("CANBERRA_DRIVER");
}

TEST_F(AudioModuleTest, BothSoundsExistInTheThemeAndReachTheServer)
{
    EXPECT_TRUE(audio.play(SystemSound::Sound::Pop));
    EXPECT_TRUE(audio.play(SystemSound::Sound::Alert));
}

TEST_F(AudioModuleTest, ARecordedVoiceNoteIsMonoAacAtCdRateAndPlaysToItsEnd)
{
    StashStore &store = openStore();
    QStringList messages;
    const std::unique_ptr<RecordingController> made = makeRecorder(store, &messages);
    RecordingController &recorder = *made;
    QSignalSpy stashed(&recorder, &RecordingController::stashed);
    QSignalSpy discarded(&recorder, &RecordingController::discarded);

    recorder.start();
    ASSERT_TRUE(recorder.isRecording()) << messages.join(u' ').toStdString();
    QElapsedTimer elapsed;
    elapsed.start();
    QTest::qWait(1500);
    EXPECT_GT(recorder.elapsedSeconds(), 0.5) << "the clock runs while recording";
    ASSERT_TRUE(recorder.stopAndStash());
    const double recordedFor = elapsed.elapsed() / 1000.0;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !stashed.isEmpty() || !discarded.isEmpty(); }, 10000));
    ASSERT_EQ(stashed.size(), 1) << (discarded.isEmpty() ? "" : discarded.first().first().toString().toStdString());

    const StashItem item = stashed.first().first().value<StashItem>();
    EXPECT_EQ(item.kind(), StashItemKind::audio);
    ASSERT_TRUE(item.durationSeconds());
    EXPECT_NEAR(*item.durationSeconds(), recordedFor, 0.15);
    EXPECT_TRUE(QDir(m_dir.filePath(u"scratch"_s)).entryList(QDir::Files).isEmpty()) << "the scratch file is gone";

    const QString path = store.absolutePath(item).value_or(QString());
    ASSERT_TRUE(path.endsWith(u".m4a"_s)) << path.toStdString();
    // Another player's view of the file (gstreamer1.0-plugins-base-apps).
    EXPECT_FALSE(QStandardPaths::findExecutable(u"gst-discoverer-1.0"_s).isEmpty());
    {
        const Discovered file = discover(path);
        RecordProperty("discovered", file.report.toStdString());
        EXPECT_TRUE(file.report.contains(u"MPEG-4 AAC"_s)) << file.report.toStdString();
        EXPECT_TRUE(file.report.contains(u"Channels: 1"_s)) << file.report.toStdString();
        EXPECT_TRUE(file.report.contains(u"Sample rate: 44100"_s)) << file.report.toStdString();
        EXPECT_NEAR(file.duration, *item.durationSeconds(), 0.1) << file.report.toStdString();
    }

    const std::unique_ptr<AudioPlaying> player = load(path);
    ASSERT_TRUE(player);
    ASSERT_TRUE(player->prepareToPlay());
    EXPECT_NEAR(player->duration(), *item.durationSeconds(), 0.1);
    ASSERT_TRUE(player->play());
    EXPECT_TRUE(player->isPlaying());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !player->isPlaying(); }, 10000)) << "playback reaches the end";
    EXPECT_GT(player->currentTime(), 0.5);
}

TEST_F(AudioModuleTest, AMicrophoneThatGoesAwayEndsTheRecordingAndKeepsIt)
{
    StashStore &store = openStore();
    QStringList messages;
    const std::unique_ptr<RecordingController> made = makeRecorder(store, &messages);
    RecordingController &recorder = *made;
    QSignalSpy stashed(&recorder, &RecordingController::stashed);

    recorder.start();
    ASSERT_TRUE(recorder.isRecording());
    QTest::qWait(1200);
    ASSERT_EQ(pactl(u"unload-module module-null-source"_s), 0);
    auto replug = qScopeGuard([] { pactl(u"load-module module-null-source source_name=holdra_microphone"_s); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !stashed.isEmpty(); }, 10000)) << "the recording did not end";
    EXPECT_FALSE(recorder.isRecording());
    const StashItem item = stashed.first().first().value<StashItem>();
    EXPECT_GE(item.durationSeconds().value_or(0), 1.0);
    const Discovered file = discover(store.absolutePath(item).value_or(QString()));
    EXPECT_NEAR(file.duration, item.durationSeconds().value_or(0), 0.2) << file.report.toStdString();
}

TEST_F(AudioModuleTest, AFileThatIsNoAudioIsRefusedByThePlayer)
{
    EXPECT_FALSE(load(m_dir.write(u"broken.m4a"_s, QByteArray(4096, 'x'))));
}
