#include "Audio/RecordingController.h"

#include "Storage/FileStorageError.h"
#include "Store/StashStore.h"
#include "Support/AppPaths.h"
#include "Support/KitLogging.h"
#include "Support/PrivateDirectory.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QUuid>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace holdra {

namespace {

const QString startFailedMessage = QStringLiteral("录音启动失败");
const QString scratchName = QStringLiteral("HoldraRecording");
const QString keptSubdirectory = QStringLiteral("kept");
const QString extension = QStringLiteral(".m4a");

// A set-aside recording's file name carries what stashing it needs:
// "<suggested name>#<milliseconds>#<identifier>.m4a".
struct KeptName
{
    QString suggestedName;
    double duration = 0;
};

QString keptFileName(const QString &name, double duration)
{
    return name + QLatin1Char('#') + QString::number(std::llround(duration * 1000)) + QLatin1Char('#')
        + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + extension;
}

std::optional<KeptName> parseKeptFileName(const QString &fileName)
{
    if (!fileName.endsWith(extension))
        return std::nullopt;
    const QStringList parts = fileName.chopped(extension.size()).split(QLatin1Char('#'));
    if (parts.size() != 3 || parts[0].isEmpty())
        return std::nullopt;
    bool ok = false;
    const qlonglong milliseconds = parts[1].toLongLong(&ok);
    if (!ok || milliseconds < 0)
        return std::nullopt;
    return KeptName{parts[0], double(milliseconds) / 1000};
}

std::optional<QByteArray> readWholeFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return data;
}

} // namespace

QString RecordingController::defaultScratchDirectory()
{
    const QString temporary = AppPaths::temporaryDirectory();
    return temporary.isEmpty() ? QString() : QDir(temporary).filePath(scratchName);
}

QString RecordingController::suggestedName(const QDateTime &time)
{
    return QStringLiteral("录音-") + time.toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

RecordingController::RecordingController(StashStore &store, Feedback feedback, Environment environment, QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_feedback(std::move(feedback))
    , m_environment(std::move(environment))
    , m_scratchDirectory(m_environment.scratchDirectory.isEmpty() ? defaultScratchDirectory()
                                                                  : m_environment.scratchDirectory)
{
    m_ticker.setInterval(elapsedInterval);
    connect(&m_ticker, &QTimer::timeout, this, &RecordingController::refreshElapsed);
}

RecordingController::~RecordingController()
{
    // A recording cut off here is unfinished; the next launch removes it.
    m_recorder.reset();
}

QString RecordingController::keptDirectory() const
{
    return m_scratchDirectory + QLatin1Char('/') + keptSubdirectory;
}

void RecordingController::start()
{
    if (m_recorder)
        return;
    const RecordPermission permission =
        m_environment.permission ? m_environment.permission() : RecordPermission::Granted;
    switch (permission) {
    case RecordPermission::Denied:
        m_feedback(QStringLiteral("麦克风权限被拒，请在系统设置中允许"));
        return;
    case RecordPermission::Undetermined:
        if (!m_environment.requestPermission)
            return;
        m_environment.requestPermission([guard = QPointer<RecordingController>(this)](bool granted) {
            if (!guard)
                return;
            if (granted)
                guard->begin();
            else
                guard->m_feedback(QStringLiteral("需要麦克风权限才能录音"));
        });
        return;
    case RecordPermission::Granted:
        begin();
        return;
    }
}

QString RecordingController::prepareScratchDirectory()
{
    if (!m_environment.scratchDirectory.isEmpty())
        return PrivateDirectory::make(m_scratchDirectory);
    QString path;
    QString error = PrivateDirectory::makeTemporary(scratchName, &path);
    if (error.isEmpty())
        m_scratchDirectory = path;
    return error;
}

void RecordingController::begin()
{
    if (m_recorder)
        return;
    if (const QString error = prepareScratchDirectory(); !error.isEmpty()) {
        qCWarning(lcAudio).noquote() << "no scratch directory:" << error;
        m_feedback(startFailedMessage);
        return;
    }

    const QString path = m_scratchDirectory + QStringLiteral("/recording-")
        + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + extension;
    std::unique_ptr<VoiceRecorder> recorder;
    if (m_environment.makeRecorder) {
        recorder = m_environment.makeRecorder(path, [guard = QPointer<RecordingController>(this)] {
            if (guard)
                guard->handleInterruption();
        });
    }
    if (!recorder) {
        m_feedback(startFailedMessage);
        return;
    }
    if (!recorder->record()) {
        recorder.reset();
        QFile::remove(path);
        m_feedback(startFailedMessage);
        return;
    }
    m_recorder = std::move(recorder);
    m_tempPath = path;
    setRecording(true);
    setElapsed(0);
    m_ticker.start();
}

bool RecordingController::stopAndStash()
{
    if (!m_isRecording || !m_recorder)
        return false;
    setRecording(false);
    m_ticker.stop();
    const double duration = m_recorder->currentTime();
    m_isFinishing = true;
    // Finishing always waits for the next turn of the event loop, so the
    // recorder is never destroyed inside its own stop().
    m_recorder->stop([guard = QPointer<RecordingController>(this), duration] {
        if (guard) {
            QMetaObject::invokeMethod(
                guard.data(),
                [guard, duration] {
                    if (guard)
                        guard->finishStop(duration);
                },
                Qt::QueuedConnection);
        }
    });
    return true;
}

void RecordingController::finishStop(double duration)
{
    if (!m_isFinishing)
        return;
    m_isFinishing = false;
    m_recorder.reset();
    setElapsed(0);
    const QString path = std::exchange(m_tempPath, QString());

    if (duration < minimumDuration) {
        QFile::remove(path);
        Q_EMIT discarded(QString());
        return;
    }
    const std::optional<QByteArray> data = readWholeFile(path);
    if (!data || data->isEmpty()) {
        QFile::remove(path);
        Q_EMIT discarded(QString());
        return;
    }
    const QString name = suggestedName(m_environment.now());
    StashItem item;
    try {
        item = m_store.addAudio(*data, name, duration);
    } catch (const FileStorageError &error) {
        setAside(path, name, duration);
        Q_EMIT discarded(error.errorDescription());
        return;
    }
    QFile::remove(path);
    Q_EMIT stashed(item);
    stashKeptRecordings();
}

void RecordingController::handleInterruption()
{
    if (m_isRecording) {
        qCWarning(lcAudio) << "recording ended by itself; keeping what was recorded";
        stopAndStash();
    }
}

void RecordingController::setAside(const QString &path, const QString &name, double duration)
{
    const QString target = keptDirectory() + QLatin1Char('/') + keptFileName(name, duration);
    if (!PrivateDirectory::make(m_scratchDirectory, keptSubdirectory).isEmpty() || !QFile::rename(path, target))
        qCWarning(lcAudio) << "could not set aside the recording" << path;
}

void RecordingController::recoverScratchFiles()
{
    if (m_recorder)
        return;
    // Only a directory that nobody else can write to is trusted to hold our recordings.
    if (const QString error = prepareScratchDirectory(); !error.isEmpty()) {
        qCWarning(lcAudio).noquote() << "scratch directory left alone:" << error;
        return;
    }
    const QDir scratch(m_scratchDirectory);
    const QStringList unfinished =
        scratch.entryList({QStringLiteral("recording-*") + extension}, QDir::Files | QDir::Hidden);
    for (const QString &fileName : unfinished)
        QFile::remove(scratch.filePath(fileName));
    stashKeptRecordings();
}

QList<StashItem> RecordingController::stashKeptRecordings()
{
    QList<StashItem> stashed;
    const QDir kept(keptDirectory());
    if (m_scratchDirectory.isEmpty() || !kept.exists())
        return stashed;
    if (const QString error = PrivateDirectory::make(m_scratchDirectory, keptSubdirectory); !error.isEmpty()) {
        qCWarning(lcAudio).noquote() << "set-aside recordings left alone:" << error;
        return stashed;
    }
    QList<QFileInfo> files = kept.entryInfoList({QStringLiteral("*") + extension}, QDir::Files);
    std::sort(files.begin(), files.end(), [](const QFileInfo &a, const QFileInfo &b) {
        return a.lastModified() == b.lastModified() ? a.fileName() < b.fileName() : a.lastModified() < b.lastModified();
    });
    for (const QFileInfo &file : files) {
        const std::optional<KeptName> parsed = parseKeptFileName(file.fileName());
        const std::optional<QByteArray> data = parsed ? readWholeFile(file.filePath()) : std::nullopt;
        if (!data || data->isEmpty())
            continue; // not ours, or unreadable: left alone rather than lost
        try {
            stashed.append(m_store.addAudio(*data, parsed->suggestedName, parsed->duration));
        } catch (const FileStorageError &error) {
            qCWarning(lcAudio) << "a set-aside recording still cannot be stashed:" << error.errorDescription();
            break;
        }
        QFile::remove(file.filePath());
    }
    return stashed;
}

bool RecordingController::finishBeforeQuit(std::chrono::milliseconds bound)
{
    if (m_isRecording)
        stopAndStash();
    if (!m_isFinishing)
        return true;
    // The encoder completes the file asynchronously; quitting must not hang on it.
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &RecordingController::stashed, &loop, &QEventLoop::quit);
    connect(this, &RecordingController::discarded, &loop, &QEventLoop::quit);
    deadline.start(bound);
    loop.exec();
    if (m_isFinishing)
        qCWarning(lcAudio) << "the recording was not finished before quitting; it is lost";
    return !m_isFinishing;
}

void RecordingController::setRecording(bool recording)
{
    if (m_isRecording == recording)
        return;
    m_isRecording = recording;
    Q_EMIT isRecordingChanged();
}

void RecordingController::setElapsed(double seconds)
{
    if (m_elapsedSeconds == seconds)
        return;
    m_elapsedSeconds = seconds;
    Q_EMIT elapsedSecondsChanged();
}

void RecordingController::refreshElapsed()
{
    setElapsed(m_recorder && m_isRecording ? std::max(m_recorder->currentTime(), 0.0) : 0.0);
}

} // namespace holdra
