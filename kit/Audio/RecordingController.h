#pragma once

#include "Audio/VoiceRecorder.h"
#include "Models/StashItem.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>

namespace holdra {

class StashStore;

// Records voice notes from the microphone into a scratch file and hands each
// finished recording to the store as an audio item.
//
// A recording is deleted only once the store has taken it. When the store
// fails (a full disk), the file is set aside complete and stashed on the next
// successful stop or recovery; a quit finishes and stashes the recording in
// progress (finishBeforeQuit), and files left unfinished by a crash are removed
// by recoverScratchFiles(). The scratch directory is private to the user (0700,
// ours), so nobody else can read voice notes or plant one. Main thread only.
class RecordingController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isRecording READ isRecording NOTIFY isRecordingChanged)
    // Seconds recorded so far, refreshed twice a second; 0 when idle.
    Q_PROPERTY(double elapsedSeconds READ elapsedSeconds NOTIFY elapsedSecondsChanged)

public:
    // Reports a problem to the user.
    using Feedback = std::function<void(const QString &message)>;

    struct Environment
    {
        VoiceRecorderFactory makeRecorder;
        std::function<RecordPermission()> permission = [] { return RecordPermission::Granted; };
        // Asks the user; the answer is delivered on the main thread.
        std::function<void(std::function<void(bool granted)>)> requestPermission;
        // The scratch directory; "HoldraRecording" in Holdra's private
        // temporary directory when empty.
        QString scratchDirectory;
        std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    };

    static constexpr double minimumDuration = 0.5;
    static constexpr std::chrono::milliseconds elapsedInterval{500};
    // Longer than the recorder's own wait for its encoder, so that one ends first.
    static constexpr std::chrono::milliseconds quitFinishBound{6000};

    // Empty when the user has no private runtime directory.
    static QString defaultScratchDirectory();
    // "录音-" and the time stamp of `time`.
    static QString suggestedName(const QDateTime &time);

    RecordingController(StashStore &store, Feedback feedback, Environment environment, QObject *parent = nullptr);
    ~RecordingController() override;

    bool isRecording() const { return m_isRecording; }
    double elapsedSeconds() const { return m_elapsedSeconds; }
    // A stopped recording is still being written out.
    bool isFinishing() const { return m_isFinishing; }
    QString scratchDirectory() const { return m_scratchDirectory; }
    // Where recordings the store could not take wait.
    QString keptDirectory() const;

    // Asks for permission if needed and begins recording; problems go to the
    // feedback. Does nothing while recording or finishing.
    void start();
    // Stops recording. The outcome arrives as stashed() or discarded() once the
    // file is complete, never before this returns. False when nothing was
    // being recorded.
    bool stopAndStash();
    // Sets elapsedSeconds from the recorder; the ticker calls it.
    void refreshElapsed();
    // At quit: stops a recording in progress and waits, running the event loop
    // for at most `bound`, until it is stashed (or set aside). True when
    // nothing was left unfinished.
    bool finishBeforeQuit(std::chrono::milliseconds bound = quitFinishBound);

    // At launch: removes recordings a quit or crash left unfinished, then
    // stashes the recordings set aside after a failure.
    void recoverScratchFiles();
    // Stashes what was set aside, oldest first, until the store fails again.
    QList<StashItem> stashKeptRecordings();

Q_SIGNALS:
    void isRecordingChanged();
    void elapsedSecondsChanged();
    // A stopped recording is in the stash (perhaps as the item it repeats).
    void stashed(const holdra::StashItem &item);
    // A stopped recording was not stashed: `message` is the store's error (the
    // recording is kept for later), or empty when it was too short or unreadable.
    void discarded(const QString &message);

private:
    // Makes the scratch directory (0700), or checks that the existing one is
    // ours; the reason when it is not.
    QString prepareScratchDirectory();
    void begin();
    void finishStop(double duration);
    void handleInterruption();
    void setAside(const QString &path, const QString &name, double duration);
    void setRecording(bool recording);
    void setElapsed(double seconds);

    StashStore &m_store;
    Feedback m_feedback;
    Environment m_environment;
    QString m_scratchDirectory;
    QTimer m_ticker;
    std::unique_ptr<VoiceRecorder> m_recorder;
    QString m_tempPath;
    bool m_isRecording = false;
    bool m_isFinishing = false;
    double m_elapsedSeconds = 0;
};

} // namespace holdra
