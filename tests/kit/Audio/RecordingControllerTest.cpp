#include "Audio/RecordingController.h"
#include "FakeVoiceRecorder.h"
#include "QtPrinters.h"
#include "Storage/DiskFileStorage.h"
#include "Storage/FileStorageError.h"
#include "Storage/JSONMetadataStore.h"
#include "Storage/JSONTrashMetadataStore.h"
#include "Store/StashStore.h"
#include "TempDir.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace holdra;
using namespace Qt::StringLiterals;
using test::FakeVoiceRecorder;
using test::FakeVoiceRecorderState;

namespace {

// Disk storage that can be made to run out of space.
class FillableStorage : public DiskFileStorage
{
public:
    FillableStorage(const QString &root, const bool &full)
        : DiskFileStorage(root)
        , m_full(full)
    {
    }
    StoredFile importData(const QByteArray &data, const QString &name, const QString &extension) override
    {
        if (m_full)
            throw FileStorageError::outOfSpace();
        return DiskFileStorage::importData(data, name, extension);
    }

private:
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

    // A controller over the fake recorder; `adjust` changes its environment.
    std::unique_ptr<RecordingController> make(const std::function<void(RecordingController::Environment &)> &adjust)
    {
        RecordingController::Environment environment;
        environment.makeRecorder = FakeVoiceRecorder::factory(recorderState);
        adjust(environment);
        return std::make_unique<RecordingController>(
            store, [this](const QString &message) { messages.append(message); }, environment);
    }
    // A new controller over the same scratch directory, as after a restart.
    void recreate()
    {
        controller = make([this](RecordingController::Environment &environment) {
            environment.permission = [this] { return permission; };
            environment.requestPermission = [this](std::function<void(bool)> answer) {
                pendingAnswer = std::move(answer);
            };
            environment.scratchDirectory = scratch();
            environment.now = [this] { return now; };
        });
        stashed = std::make_unique<QSignalSpy>(controller.get(), &RecordingController::stashed);
        discarded = std::make_unique<QSignalSpy>(controller.get(), &RecordingController::discarded);
    }

    QString scratch() const { return dir.filePath(u"scratch"_s); }
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
    QString lastDiscarded() const { return discarded->last().first().toString(); }
    StashItem lastStashed() const { return stashed->last().first().value<StashItem>(); }
    // The stored copy's name, which carries the suggested name.
    static QString storedName(const StashItem &item)
    {
        return QFileInfo(item.relativePath().value_or(QString())).fileName();
    }

    test::TempDir dir;
    bool diskFull = false;
    StashStore store{std::make_unique<JSONMetadataStore>(dir.filePath(u"Holdra/metadata.json"_s)),
                     std::make_unique<JSONTrashMetadataStore>(dir.filePath(u"Holdra/trash.json"_s)),
                     std::make_unique<FillableStorage>(dir.filePath(u"Holdra/Files"_s), diskFull), 30,
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

TEST_F(RecordingControllerTest, AStoppedRecordingIsStashedUnderItsTimeStampOnceItsFileIsComplete)
{
    recorderState->finishesLater = true;
    controller->start();
    ASSERT_TRUE(controller->isRecording());
    ASSERT_EQ(scratchFiles().size(), 1);
    EXPECT_TRUE(scratchFiles().first().startsWith(u"recording-"_s) && scratchFiles().first().endsWith(u".m4a"_s));
    recorderState->currentTime = 2.4;
    controller->refreshElapsed();
    EXPECT_DOUBLE_EQ(controller->elapsedSeconds(), 2.4);
    controller->start(); // a second start while recording changes nothing

    ASSERT_TRUE(controller->stopAndStash());
    EXPECT_TRUE(controller->isFinishing());
    EXPECT_TRUE(stashed->isEmpty()) << "the outcome waits until the file is complete";
    controller->start(); // nor while the last one is written out
    EXPECT_EQ(recorderState->made, 1);
    ASSERT_TRUE(settled());

    ASSERT_EQ(stashed->size(), 1);
    EXPECT_EQ(lastStashed().kind(), StashItemKind::audio);
    EXPECT_EQ(storedName(lastStashed()), u"录音-20250103-142501.m4a"_s);
    EXPECT_EQ(lastStashed().durationSeconds(), 2.4);
    EXPECT_TRUE(scratchFiles().isEmpty());
    EXPECT_EQ(controller->elapsedSeconds(), 0);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_FALSE(controller->stopAndStash()) << "nothing is being recorded any more";
}

TEST_F(RecordingControllerTest, TooShortOrUnwrittenRecordingsAreDroppedSilently)
{
    ASSERT_TRUE(record(0.49));
    recorderState->bytes.clear(); // the recorder never wrote a file
    ASSERT_TRUE(record(3));
    ASSERT_EQ(discarded->size(), 2);
    EXPECT_EQ(discarded->at(0).first().toString(), QString());
    EXPECT_EQ(lastDiscarded(), QString());
    EXPECT_TRUE(scratchFiles().isEmpty());
    EXPECT_TRUE(store.items().isEmpty());
    EXPECT_TRUE(messages.isEmpty()) << "the panel beeps; there is nothing to read";
}

TEST_F(RecordingControllerTest, ARecordingThatCannotStartSaysWhyAndLeavesNoFile)
{
    recorderState->startsRecording = false;
    controller->start();
    EXPECT_EQ(messages, QStringList{u"录音启动失败"_s});
    EXPECT_TRUE(scratchFiles().isEmpty()) << "what the recorder began is removed";
    const auto noMicrophone = make([this](RecordingController::Environment &environment) {
        environment.scratchDirectory = scratch();
        environment.makeRecorder = [](const QString &, std::function<void()>) { return nullptr; };
    });
    noMicrophone->start();
    EXPECT_EQ(messages, QStringList(2, u"录音启动失败"_s));

    // Asked for the microphone, nothing happens until the user answers.
    recorderState->startsRecording = true;
    const int made = recorderState->made;
    permission = RecordPermission::Undetermined;
    controller->start();
    ASSERT_TRUE(pendingAnswer);
    EXPECT_FALSE(controller->isRecording());
    std::exchange(pendingAnswer, nullptr)(false);
    EXPECT_EQ(messages.last(), u"需要麦克风权限才能录音"_s);
    EXPECT_EQ(recorderState->made, made) << "no recorder without permission";
    controller->start();
    std::exchange(pendingAnswer, nullptr)(true);
    EXPECT_TRUE(controller->isRecording());
}

TEST_F(RecordingControllerTest, AFullDiskKeepsRecordingsUntilThereIsSpaceOrTheNextLaunch)
{
    diskFull = true;
    for (const auto &bytes : {"first voice note", "second voice note"}) {
        recorderState->bytes = bytes;
        ASSERT_TRUE(record(4));
        EXPECT_EQ(lastDiscarded(), u"磁盘空间不足，无法暂存。"_s);
        now = now.addSecs(60);
    }
    EXPECT_TRUE(store.items().isEmpty());
    EXPECT_TRUE(scratchFiles().isEmpty());
    ASSERT_EQ(keptFiles().size(), 2) << "the voice notes are not thrown away";

    // Space again: the next successful stop brings the kept ones in too.
    diskFull = false;
    recorderState->bytes = "third voice note";
    ASSERT_TRUE(record(1));
    EXPECT_TRUE(keptFiles().isEmpty());
    QStringList names;
    for (const StashItem &item : store.items())
        names.append(storedName(item) + u' ' + QString::number(item.durationSeconds().value_or(0)));
    names.sort();
    EXPECT_EQ(names,
              (QStringList{u"录音-20250103-142501.m4a 4"_s, u"录音-20250103-142601.m4a 4"_s,
                           u"录音-20250103-142701.m4a 1"_s}));

    // Kept while the disk is full, then Holdra is restarted: the launch stashes
    // it, and removes a recording cut off by a crash, but not a stranger's file.
    diskFull = true;
    recorderState->bytes = "fourth voice note";
    ASSERT_TRUE(record(3));
    dir.write(u"scratch/recording-0D5B3C0A-0000-4000-8000-000000000000.m4a"_s, "half");
    dir.write(u"scratch/kept/notes.m4a"_s, "not a recording of ours");
    diskFull = false;
    recreate();
    controller->recoverScratchFiles();
    EXPECT_TRUE(scratchFiles().isEmpty());
    EXPECT_EQ(keptFiles(), QStringList{u"notes.m4a"_s});
    EXPECT_EQ(store.items().size(), 4);
}

TEST_F(RecordingControllerTest, ARecordingEndedByQuittingOrByTheDeviceIsKept)
{
    EXPECT_TRUE(controller->finishBeforeQuit(std::chrono::milliseconds(0))) << "nothing to finish";
    recorderState->finishesLater = true;
    controller->start();
    recorderState->currentTime = 2.5;
    EXPECT_TRUE(controller->finishBeforeQuit());
    ASSERT_EQ(stashed->size(), 1);
    EXPECT_EQ(lastStashed().durationSeconds(), 2.5);
    EXPECT_TRUE(scratchFiles().isEmpty());

    // The device goes away; a report after the stop changes nothing.
    recorderState->finishesLater = false;
    recorderState->bytes = "cut short";
    controller->start();
    recorderState->currentTime = 1.5;
    recorderState->interrupt();
    ASSERT_TRUE(settled());
    ASSERT_EQ(stashed->size(), 2);
    EXPECT_EQ(lastStashed().durationSeconds(), 1.5);
    recorderState->interrupt();
    ASSERT_TRUE(settled());
    EXPECT_EQ(stashed->size(), 2);

    // A stuck encoder: quitting goes on after the bound instead of hanging.
    recorderState->neverFinishes = true;
    controller->start();
    recorderState->currentTime = 4;
    EXPECT_FALSE(controller->finishBeforeQuit(std::chrono::milliseconds(50)));
    EXPECT_EQ(stashed->size(), 2);
}

// PrivateDirectoryTest covers every way a directory is refused; this is the
// recorder's use of it, for recording and for recovery alike.
TEST_F(RecordingControllerTest, TheScratchDirectoryIsPrivateAndNeverTakenFromAnotherUser)
{
    const QString runtime = dir.mkdir(u"runtime"_s);
    ::chmod(QFile::encodeName(runtime).constData(), 0700);
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    auto restore = qScopeGuard([&] { qputenv("XDG_RUNTIME_DIR", savedRuntime); });
    const QString scratchPath = runtime + u"/Holdra/HoldraRecording"_s;
    const auto makeDefault = [this] { return make([](RecordingController::Environment &) {}); };

    std::unique_ptr<RecordingController> recorder = makeDefault();
    recorder->start();
    ASSERT_TRUE(recorder->isRecording());
    EXPECT_EQ(QFileInfo(recorderState->lastPath).path(), scratchPath);
    EXPECT_EQ(test::fileStatus(scratchPath).st_mode & 07777, 0700u);
    recorder.reset();

    // A planted link to a stranger's directory holding a "set-aside recording":
    // not stashed, not recorded into.
    const QString planted = dir.mkdir(u"planted/kept"_s);
    dir.write(u"planted/kept/录音-20250101-000000#3000#0D5B3C0A-0000-4000-8000-000000000000.m4a"_s,
              "a stranger's voice");
    QDir(scratchPath).removeRecursively();
    ASSERT_TRUE(QFile::link(QFileInfo(planted).path(), scratchPath));
    std::unique_ptr<RecordingController> victim = makeDefault();
    victim->recoverScratchFiles();
    victim->start();
    EXPECT_FALSE(victim->isRecording());
    EXPECT_EQ(messages.last(), u"录音启动失败"_s);
    EXPECT_TRUE(store.items().isEmpty());
    EXPECT_EQ(QDir(planted).entryList(QDir::Files).size(), 1) << "the stranger's file is left where it was";
}
