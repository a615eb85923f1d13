#include "Audio/RecordingController.h"
#include "FakeVoiceRecorder.h"
#include "ForeignUser.h"
#include "QtPrinters.h"
#include "Storage/DiskFileStorage.h"
#include "Storage/FileStorageError.h"
#include "Storage/JSONMetadataStore.h"
#include "Storage/JSONTrashMetadataStore.h"
#include "Store/StashStore.h"
#include "TempDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace holdra;
using test::FakeVoiceRecorder;
using test::FakeVoiceRecorderState;
using test::ForeignUser;

namespace {

// Disk storage that can be made to run out of space.
class FillableStorage : public StashFileStoring
{
public:
    explicit FillableStorage(QString root, const bool &full)
        : m_disk(std::move(root))
        , m_full(full)
    {
    }
    QString rootDirectory() const override { return m_disk.rootDirectory(); }
    StoredFile importFile(const QByteArray &source) override { return m_disk.importFile(source); }
    StoredFile importData(const QByteArray &data, const QString &name, const QString &extension) override
    {
        if (m_full)
            throw FileStorageError::outOfSpace();
        return m_disk.importData(data, name, extension);
    }
    std::optional<QString> absolutePath(const QString &relative) const override { return m_disk.absolutePath(relative); }
    void remove(const QString &relative) override { m_disk.remove(relative); }
    void removeAll() override { m_disk.removeAll(); }
    qint64 totalByteSize() const override { return m_disk.totalByteSize(); }

private:
    DiskFileStorage m_disk;
    const bool &m_full;
};

class RecordingControllerTest : public ::testing::Test
{
protected:
    RecordingControllerTest()
    {
        store.load();
        recreate();
    }

    // A new controller over the same scratch directory, as after a restart.
    void recreate()
    {
        RecordingController::Environment environment;
        environment.makeRecorder = FakeVoiceRecorder::factory(recorderState);
        environment.permission = [this] { return permission; };
        environment.requestPermission = [this](std::function<void(bool)> answer) { pendingAnswer = std::move(answer); };
        environment.scratchDirectory = scratch();
        environment.now = [this] { return now; };
        controller = std::make_unique<RecordingController>(
            store, [this](const QString &message) { messages.append(message); }, environment);
        stashed = std::make_unique<QSignalSpy>(controller.get(), &RecordingController::stashed);
        discarded = std::make_unique<QSignalSpy>(controller.get(), &RecordingController::discarded);
    }

    QString scratch() const { return dir.filePath(QStringLiteral("scratch")); }
    QStringList scratchFiles() const { return QDir(scratch()).entryList(QDir::Files); }
    QStringList keptFiles() const { return QDir(controller->keptDirectory()).entryList(QDir::Files); }

    // Records for `seconds` and waits for the outcome.
    [[nodiscard]] ::testing::AssertionResult record(double seconds)
    {
        controller->start();
        if (!controller->isRecording())
            return ::testing::AssertionFailure() << "the recording did not start";
        recorderState->currentTime = seconds;
        if (!controller->stopAndStash())
            return ::testing::AssertionFailure() << "the recording did not stop";
        if (!settled())
            return ::testing::AssertionFailure() << "the recording was never written out";
        return ::testing::AssertionSuccess();
    }
    // The last recording is written out and its outcome told.
    bool settled() const
    {
        return QTest::qWaitFor([&] { return !controller->isFinishing() && !controller->isRecording(); }, 5000);
    }
    StashItem lastStashed() const { return stashed->last().first().value<StashItem>(); }
    // The stored copy's name, which carries the suggested name.
    static QString storedName(const StashItem &item) { return QFileInfo(item.relativePath().value_or(QString())).fileName(); }

    test::TempDir dir;
    bool diskFull = false;
    StashStore store{std::make_unique<JSONMetadataStore>(dir.filePath(QStringLiteral("Holdra/metadata.json"))),
                     std::make_unique<JSONTrashMetadataStore>(dir.filePath(QStringLiteral("Holdra/trash.json"))),
                     std::make_unique<FillableStorage>(dir.filePath(QStringLiteral("Holdra/Files")), diskFull), 30,
                     [] { return QDateTime::currentDateTimeUtc(); }};
    std::shared_ptr<FakeVoiceRecorderState> recorderState = std::make_shared<FakeVoiceRecorderState>();
    RecordPermission permission = RecordPermission::Granted;
    std::function<void(bool)> pendingAnswer;
    QDateTime now = QDateTime(QDate(2025, 1, 3), QTime(14, 25, 1));
    QStringList messages;
    std::unique_ptr<RecordingController> controller;
    std::unique_ptr<QSignalSpy> stashed;
    std::unique_ptr<QSignalSpy> discarded;
};

} // namespace

TEST_F(RecordingControllerTest, AStoppedRecordingIsStashedUnderItsTimeStampAndItsScratchFileGoes)
{
    recorderState->finishesLater = true;
    controller->start();
    ASSERT_TRUE(controller->isRecording());
    ASSERT_EQ(scratchFiles().size(), 1);
    EXPECT_TRUE(scratchFiles().first().startsWith(QStringLiteral("recording-")));
    EXPECT_TRUE(scratchFiles().first().endsWith(QStringLiteral(".m4a")));

    recorderState->currentTime = 2.4;
    controller->refreshElapsed();
    EXPECT_DOUBLE_EQ(controller->elapsedSeconds(), 2.4);
    controller->start(); // a second start while recording changes nothing
    EXPECT_EQ(recorderState->made, 1);

    ASSERT_TRUE(controller->stopAndStash());
    EXPECT_FALSE(controller->isRecording());
    EXPECT_TRUE(controller->isFinishing());
    EXPECT_TRUE(stashed->isEmpty()) << "the outcome waits until the file is complete";
    controller->start(); // nor while the last one is written out
    EXPECT_EQ(recorderState->made, 1);
    ASSERT_TRUE(settled());

    ASSERT_EQ(stashed->size(), 1);
    const StashItem item = lastStashed();
    EXPECT_EQ(item.kind(), StashItemKind::audio);
    EXPECT_EQ(storedName(item), QStringLiteral("录音-20250103-142501.m4a"));
    EXPECT_EQ(item.durationSeconds(), 2.4);
    EXPECT_EQ(store.items().size(), 1);
    EXPECT_TRUE(scratchFiles().isEmpty());
    EXPECT_EQ(controller->elapsedSeconds(), 0);
    EXPECT_FALSE(controller->isFinishing());
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_FALSE(controller->stopAndStash()) << "nothing is being recorded any more";
}

TEST_F(RecordingControllerTest, TooShortOrUnreadableRecordingsAreDroppedSilently)
{
    ASSERT_TRUE(record(0.49));
    ASSERT_EQ(discarded->size(), 1);
    EXPECT_EQ(discarded->last().first().toString(), QString());
    EXPECT_TRUE(scratchFiles().isEmpty());

    recorderState->bytes.clear(); // the recorder never wrote a file
    ASSERT_TRUE(record(3));
    ASSERT_EQ(discarded->size(), 2);
    EXPECT_EQ(discarded->last().first().toString(), QString());

    EXPECT_TRUE(store.items().isEmpty());
    EXPECT_TRUE(stashed->isEmpty());
    EXPECT_TRUE(messages.isEmpty()) << "the panel beeps; there is nothing to read";
}

TEST_F(RecordingControllerTest, WithoutPermissionNoFileIsEverMade)
{
    permission = RecordPermission::Denied;
    controller->start();
    EXPECT_EQ(messages, QStringList{QStringLiteral("麦克风权限被拒，请在系统设置中允许")});
    EXPECT_EQ(recorderState->made, 0);
    EXPECT_FALSE(QDir(scratch()).exists());

    permission = RecordPermission::Undetermined;
    controller->start();
    ASSERT_TRUE(pendingAnswer);
    EXPECT_FALSE(controller->isRecording()) << "nothing happens until the user answers";
    std::exchange(pendingAnswer, nullptr)(false);
    EXPECT_EQ(messages.last(), QStringLiteral("需要麦克风权限才能录音"));
    EXPECT_EQ(recorderState->made, 0);

    controller->start();
    std::exchange(pendingAnswer, nullptr)(true);
    EXPECT_TRUE(controller->isRecording());
}

TEST_F(RecordingControllerTest, AStartThatFailsHoldsNothingAndLeavesNoFile)
{
    recorderState->startsRecording = false;
    controller->start();
    EXPECT_FALSE(controller->isRecording());
    EXPECT_EQ(messages, QStringList{QStringLiteral("录音启动失败")});
    EXPECT_TRUE(scratchFiles().isEmpty()) << "what the recorder began is removed";

    // A file where the scratch directory should be.
    dir.write(QStringLiteral("blocked"), "x");
    RecordingController::Environment environment;
    environment.makeRecorder = FakeVoiceRecorder::factory(recorderState);
    environment.scratchDirectory = dir.filePath(QStringLiteral("blocked/scratch"));
    RecordingController blocked(store, [this](const QString &message) { messages.append(message); }, environment);
    blocked.start();
    EXPECT_FALSE(blocked.isRecording());
    EXPECT_EQ(messages.size(), 2);
    EXPECT_EQ(messages.last(), QStringLiteral("录音启动失败"));

    RecordingController::Environment noRecorder;
    noRecorder.makeRecorder = [](const QString &, std::function<void()>) { return nullptr; };
    noRecorder.scratchDirectory = scratch();
    RecordingController withoutMicrophone(store, [this](const QString &message) { messages.append(message); },
                                          noRecorder);
    withoutMicrophone.start();
    EXPECT_FALSE(withoutMicrophone.isRecording());
    EXPECT_EQ(messages.last(), QStringLiteral("录音启动失败"));
}

TEST_F(RecordingControllerTest, AFullDiskKeepsTheRecordingUntilThereIsSpaceAgain)
{
    diskFull = true;
    recorderState->bytes = QByteArrayLiteral("first voice note");
    ASSERT_TRUE(record(4));
    ASSERT_EQ(discarded->size(), 1);
    EXPECT_EQ(discarded->last().first().toString(), QStringLiteral("磁盘空间不足，无法暂存。"));
    EXPECT_TRUE(store.items().isEmpty());
    EXPECT_TRUE(scratchFiles().isEmpty());
    ASSERT_EQ(keptFiles().size(), 1) << "the voice note is not thrown away";

    // Still full: the next one is kept beside it.
    now = now.addSecs(60);
    recorderState->bytes = QByteArrayLiteral("second voice note");
    ASSERT_TRUE(record(2));
    EXPECT_EQ(keptFiles().size(), 2);

    // Space again: the next successful stop brings the kept ones in too.
    diskFull = false;
    now = now.addSecs(60);
    recorderState->bytes = QByteArrayLiteral("third voice note");
    ASSERT_TRUE(record(1));
    ASSERT_EQ(stashed->size(), 1);
    EXPECT_TRUE(keptFiles().isEmpty());
    QStringList names;
    QList<std::optional<double>> durations;
    for (const StashItem &item : store.items()) {
        names.append(storedName(item));
        durations.append(item.durationSeconds());
    }
    names.sort();
    EXPECT_EQ(names, (QStringList{QStringLiteral("录音-20250103-142501.m4a"), QStringLiteral("录音-20250103-142601.m4a"),
                                  QStringLiteral("录音-20250103-142701.m4a")}));
    EXPECT_TRUE(durations.contains(4.0));
    EXPECT_TRUE(durations.contains(2.0));
}

TEST_F(RecordingControllerTest, ALaunchRemovesUnfinishedRecordingsAndStashesKeptOnes)
{
    diskFull = true;
    ASSERT_TRUE(record(3));
    ASSERT_EQ(keptFiles().size(), 1);
    // A recording cut off by a crash, and a stranger's file that is not ours to touch.
    dir.write(QStringLiteral("scratch/recording-0D5B3C0A-0000-4000-8000-000000000000.m4a"), "half");
    dir.write(QStringLiteral("scratch/kept/notes.m4a"), "not a recording of ours");

    diskFull = false;
    recreate();
    controller->recoverScratchFiles();
    EXPECT_TRUE(scratchFiles().isEmpty());
    EXPECT_EQ(keptFiles(), QStringList{QStringLiteral("notes.m4a")});
    ASSERT_EQ(store.items().size(), 1);
    EXPECT_EQ(store.items().first().durationSeconds(), 3.0);
    EXPECT_EQ(storedName(store.items().first()), QStringLiteral("录音-20250103-142501.m4a"));
}

TEST_F(RecordingControllerTest, RecordingsInTheSameSecondOrWithTheSameBytesAreLeftToTheStore)
{
    recorderState->bytes = QByteArrayLiteral("one");
    ASSERT_TRUE(record(1));
    recorderState->bytes = QByteArrayLiteral("two");
    ASSERT_TRUE(record(1));
    ASSERT_EQ(stashed->size(), 2);
    EXPECT_EQ(store.items().size(), 2);
    EXPECT_NE(store.items()[0].relativePath(), store.items()[1].relativePath());

    // The same bytes again: the store answers with the item they repeat.
    const QUuid first = lastStashed().id();
    ASSERT_TRUE(record(1));
    ASSERT_EQ(stashed->size(), 3);
    EXPECT_EQ(lastStashed().id(), first);
    EXPECT_EQ(store.items().size(), 2);
}

TEST_F(RecordingControllerTest, ARecordingEndedByQuittingIsFinishedAndStashedWithinABound)
{
    EXPECT_TRUE(controller->finishBeforeQuit(std::chrono::milliseconds(0))) << "nothing to finish";

    recorderState->finishesLater = true;
    controller->start();
    recorderState->currentTime = 2.5;
    EXPECT_TRUE(controller->finishBeforeQuit());
    ASSERT_EQ(stashed->size(), 1);
    EXPECT_EQ(lastStashed().durationSeconds(), 2.5);
    EXPECT_TRUE(scratchFiles().isEmpty());

    // A stuck encoder: quitting goes on after the bound instead of hanging.
    recorderState->neverFinishes = true;
    controller->start();
    recorderState->currentTime = 4;
    EXPECT_FALSE(controller->finishBeforeQuit(std::chrono::milliseconds(50)));
    EXPECT_EQ(stashed->size(), 1);
}

TEST_F(RecordingControllerTest, TheScratchDirectoryIsPrivateAndNeverTakenFromAnotherUser)
{
    const QString runtime = dir.mkdir(QStringLiteral("runtime"));
    ::chmod(QFile::encodeName(runtime).constData(), 0700);
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    auto restore = qScopeGuard([&] { qputenv("XDG_RUNTIME_DIR", savedRuntime); });
    const QString scratchPath = runtime + QStringLiteral("/Holdra/HoldraRecording");
    auto makeDefault = [this] {
        RecordingController::Environment environment;
        environment.makeRecorder = FakeVoiceRecorder::factory(recorderState);
        return std::make_unique<RecordingController>(
            store, [this](const QString &message) { messages.append(message); }, environment);
    };

    std::unique_ptr<RecordingController> recorder = makeDefault();
    recorder->start();
    ASSERT_TRUE(recorder->isRecording());
    EXPECT_EQ(QFileInfo(recorderState->lastPath).path(), scratchPath);
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(scratchPath).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
    if (ForeignUser::unavailable().isEmpty()) {
        // Only the scratch directory's own mode stands in the way.
        for (const QString &level : {dir.path(), runtime, runtime + QStringLiteral("/Holdra")})
            ::chmod(QFile::encodeName(level).constData(), 0711);
        ASSERT_EQ(ForeignUser::run(QStringLiteral("stat"), {scratchPath}).exitCode, 0);
        EXPECT_NE(ForeignUser::run(QStringLiteral("ls"), {scratchPath}).exitCode, 0);
        EXPECT_NE(ForeignUser::run(QStringLiteral("cat"), {recorderState->lastPath}).exitCode, 0);
    }
    recorder.reset();
    ::chmod(QFile::encodeName(runtime).constData(), 0700);

    // A planted scratch directory (a link to a stranger's, or, as root, one that
    // `nobody` owns) holding a "set-aside recording": not stashed, not recorded into.
    const QString planted = dir.mkdir(QStringLiteral("planted/kept"));
    dir.write(QStringLiteral("planted/kept/录音-20250101-000000#3000#0D5B3C0A-0000-4000-8000-000000000000.m4a"),
              "a stranger's voice");
    QDir(scratchPath).removeRecursively();
    ASSERT_TRUE(QFile::link(QFileInfo(planted).path(), scratchPath));
    QStringList plants{scratchPath};
    if (::geteuid() == 0) {
        const QString foreign = dir.filePath(QStringLiteral("foreign-runtime"));
        ASSERT_TRUE(QDir().mkpath(foreign + QStringLiteral("/Holdra/HoldraRecording/kept")));
        QFile::copy(QDir(planted).filePath(QDir(planted).entryList(QDir::Files).first()),
                    foreign + QStringLiteral("/Holdra/HoldraRecording/kept/录音-20250101-000000#3000#1.m4a"));
        ::chmod(QFile::encodeName(foreign).constData(), 0700);
        ASSERT_EQ(::chown(QFile::encodeName(foreign + QStringLiteral("/Holdra")).constData(), ForeignUser::uid,
                          ForeignUser::uid), 0);
        plants.append(foreign);
    }
    for (const QString &plant : plants) {
        if (plant != scratchPath)
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(plant));
        std::unique_ptr<RecordingController> victim = makeDefault();
        victim->recoverScratchFiles();
        victim->start();
        EXPECT_FALSE(victim->isRecording()) << qPrintable(plant);
        EXPECT_EQ(messages.last(), QStringLiteral("录音启动失败"));
    }
    EXPECT_TRUE(store.items().isEmpty());
    EXPECT_EQ(QDir(planted).entryList(QDir::Files).size(), 1) << "the stranger's file is left where it was";
}

TEST_F(RecordingControllerTest, ARecordingEndedByTheDeviceIsStoppedAndKept)
{
    controller->start();
    recorderState->currentTime = 1.5;
    ASSERT_TRUE(recorderState->interrupt);
    recorderState->interrupt();
    ASSERT_TRUE(settled());
    EXPECT_FALSE(controller->isRecording());
    ASSERT_EQ(stashed->size(), 1);
    EXPECT_EQ(lastStashed().durationSeconds(), 1.5);

    // An interruption reported after the stop changes nothing.
    recorderState->interrupt();
    ASSERT_TRUE(settled());
    EXPECT_EQ(stashed->size(), 1);
}
