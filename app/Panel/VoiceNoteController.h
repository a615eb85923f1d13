#pragma once

#include "Audio/AudioPlaybackController.h"
#include "Audio/RecordingController.h"
#include "Models/StashItem.h"

#include <QObject>
#include <QString>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <memory>

namespace holdra {

class StashStore;
class ToastPresenter;

// The capsule's record button and the rows' play buttons: a recording starts
// (silencing the player) and stops into a voice note; a row's recording is
// opened, then played or paused. One row plays at a time, and none while
// recording.
class VoiceNoteController : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The controller owns the voice notes.")
    Q_PROPERTY(holdra::AudioPlaybackController *player READ player CONSTANT)
    // The RecordingController, once one is attached; null before.
    Q_PROPERTY(holdra::RecordingController *recorder READ recorder NOTIFY recorderChanged)

public:
    // Opens an audio file for playing and hands the player (nullptr when the
    // file cannot be played) to the callback, later or at once; nothing is
    // called once `context` is gone.
    using PlayerLoader = std::function<void(const QUrl &fileURL, QObject *context,
                                            std::function<void(std::unique_ptr<AudioPlaying>)> loaded)>;

    // `store` and `toasts` must outlive this; without a loader players are made by nobody.
    VoiceNoteController(StashStore &store, ToastPresenter &toasts, PlayerLoader loadPlayer, QObject *parent = nullptr);

    AudioPlaybackController *player() const { return m_player; }
    RecordingController *recorder() const { return m_recorder; }
    // The recorder must outlive this.
    void setRecorder(RecordingController *recorder);

    // Starts a voice note, or stops it; a stashed note is announced with this display.
    Q_INVOKABLE void toggleRecording(const QString &displayID);
    Q_INVOKABLE void togglePlayback(const QString &itemID);
    void togglePlayback(const StashItem &item);
    // Trashed items stop playing.
    void stopIfPlayingAny(const QSet<QUuid> &ids);

Q_SIGNALS:
    void recorderChanged();
    // A voice note was stashed from a recording stopped on `displayID`.
    void noteStashed(const holdra::StashItem &item, const QString &displayID);

private:
    void handleStashed(const StashItem &item);
    bool isRecording() const;

    StashStore &m_store;
    ToastPresenter &m_toasts;
    PlayerLoader m_loadPlayer;
    AudioPlaybackController *m_player;
    RecordingController *m_recorder = nullptr;
    // The display whose button stopped the recording, for the panel that shows it.
    QString m_recordingDisplayID;
    // The player being opened for a row, and the one handed to the playback controller.
    quint64 m_loadGeneration = 0;
    std::unique_ptr<AudioPlaying> m_loadedPlayer;
};

} // namespace holdra
