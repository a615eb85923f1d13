// A real voice note through the system's audio stack: a private PulseAudio
// server whose null sink's monitor is the microphone, the GStreamer encoder
// behind Qt Multimedia, the store, and playback of what was stored.
#include "Audio/RecordingController.h"
#include "Platform/QtAudioPlayer.h"
#include "Platform/GStreamerVoiceRecorder.h"
#include "PulseAudioSession.h"
#include "StoreFixture.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <gtest/gtest.h>

using namespace holdra;

namespace {

// What gst-discoverer-1.0 says about a file.
struct Discovered
{
    QString report;
    double duration = -1;
};

Discovered discover(const QString &path)
{
    QProcess discoverer;
    discoverer.start(QStringLiteral("gst-discoverer-1.0"), {path});
    discoverer.waitForFinished(30000);
    Discovered out;
    out.report = QString::fromUtf8(discoverer.readAllStandardOutput());
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("Duration: (\\d+):(\\d+):(\\d+\\.\\d+)")).match(out.report);
    if (match.hasMatch())
        out.duration = match.captured(1).toDouble() * 3600 + match.captured(2).toDouble() * 60
            + match.captured(3).toDouble();
    return out;
}

class AudioRoundTripTest : public test::StoreFixture
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
    }
    void TearDown() override { qunsetenv("PULSE_SERVER"); }

    static int pactl(const QStringList &arguments)
    {
        return QProcess::execute(QStringLiteral("pactl"),
                                 QStringList{QStringLiteral("--server=") + s_server->serverAddress()} + arguments);
    }

    static inline test::PulseAudioSession *s_server = nullptr;
};

} // namespace

TEST_F(AudioRoundTripTest, ARecordedVoiceNoteIsMonoAacAtCdRateAndPlaysToItsEnd)
{
    StashStore &store = openStore();
    QStringList messages;
    RecordingController::Environment environment;
    environment.makeRecorder = &GStreamerVoiceRecorder::make;
    environment.scratchDirectory = m_dir.filePath(QStringLiteral("scratch"));
    RecordingController recorder(store, [&](const QString &message) { messages.append(message); }, environment);
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
    EXPECT_TRUE(QDir(environment.scratchDirectory).entryList(QDir::Files).isEmpty()) << "the scratch file is gone";

    const QString path = store.absolutePath(item).value_or(QString());
    ASSERT_TRUE(path.endsWith(QStringLiteral(".m4a"))) << path.toStdString();
    // Another player's view of the file (gstreamer1.0-plugins-base-apps).
    EXPECT_FALSE(QStandardPaths::findExecutable(QStringLiteral("gst-discoverer-1.0")).isEmpty());
    {
        const Discovered file = discover(path);
        RecordProperty("discovered", file.report.toStdString());
        EXPECT_TRUE(file.report.contains(QStringLiteral("MPEG-4 AAC"))) << file.report.toStdString();
        EXPECT_TRUE(file.report.contains(QStringLiteral("Channels: 1"))) << file.report.toStdString();
        EXPECT_TRUE(file.report.contains(QStringLiteral("Sample rate: 44100"))) << file.report.toStdString();
        EXPECT_NEAR(file.duration, *item.durationSeconds(), 0.1) << file.report.toStdString();
    }

    // Played back through the same path as a row's play button.
    std::unique_ptr<AudioPlaying> player;
    bool loaded = false;
    QObject context;
    QtAudioPlayer::load(QUrl::fromLocalFile(path), &context, [&](std::unique_ptr<AudioPlaying> opened) {
        player = std::move(opened);
        loaded = true;
    });
    EXPECT_FALSE(loaded) << "the player is handed out on a later turn";
    ASSERT_TRUE(QTest::qWaitFor([&] { return loaded; }, 10000));
    ASSERT_TRUE(player);
    ASSERT_TRUE(player->prepareToPlay());
    EXPECT_NEAR(player->duration(), *item.durationSeconds(), 0.1);
    ASSERT_TRUE(player->play());
    EXPECT_TRUE(player->isPlaying());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !player->isPlaying(); }, 10000)) << "playback reaches the end";
    EXPECT_GT(player->currentTime(), 0.5);
}

TEST_F(AudioRoundTripTest, AMicrophoneThatGoesAwayEndsTheRecordingAndKeepsIt)
{
    StashStore &store = openStore();
    RecordingController::Environment environment;
    environment.makeRecorder = &GStreamerVoiceRecorder::make;
    environment.scratchDirectory = m_dir.filePath(QStringLiteral("scratch"));
    RecordingController recorder(store, [](const QString &) {}, environment);
    QSignalSpy stashed(&recorder, &RecordingController::stashed);

    recorder.start();
    ASSERT_TRUE(recorder.isRecording());
    QTest::qWait(1200);
    ASSERT_EQ(pactl({QStringLiteral("unload-module"), QStringLiteral("module-null-source")}), 0);
    struct Replug
    {
        ~Replug()
        {
            pactl({QStringLiteral("load-module"), QStringLiteral("module-null-source"),
                   QStringLiteral("source_name=holdra_microphone")});
        }
    } replug;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !stashed.isEmpty(); }, 10000)) << "the recording did not end";
    EXPECT_FALSE(recorder.isRecording());
    const StashItem item = stashed.first().first().value<StashItem>();
    EXPECT_GE(item.durationSeconds().value_or(0), 1.0);
    const Discovered file = discover(store.absolutePath(item).value_or(QString()));
    EXPECT_NEAR(file.duration, item.durationSeconds().value_or(0), 0.2) << file.report.toStdString();
}

TEST_F(AudioRoundTripTest, AFileThatIsNoAudioIsRefusedByThePlayer)
{
    const QString path = m_dir.write(QStringLiteral("broken.m4a"), QByteArray(4096, 'x'));
    bool loaded = false;
    std::unique_ptr<AudioPlaying> player;
    QObject context;
    QtAudioPlayer::load(QUrl::fromLocalFile(path), &context, [&](std::unique_ptr<AudioPlaying> opened) {
        player = std::move(opened);
        loaded = true;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return loaded; }, 10000));
    EXPECT_FALSE(player);
}
