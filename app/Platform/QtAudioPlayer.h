#pragma once

#include "Audio/AudioPlaying.h"

#include <QAudioOutput>
#include <QMediaPlayer>
#include <QObject>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>

namespace holdra {

// One audio file played through Qt Multimedia. The player answers the
// controller's synchronous questions at once because it is handed out only
// after load() has seen the file open (and its length known).
class QtAudioPlayer : public QObject, public AudioPlaying
{
    Q_OBJECT

public:
    using Loaded = std::function<void(std::unique_ptr<AudioPlaying> player)>;

    static constexpr std::chrono::milliseconds loadTimeout{5000};

    // Opens `fileURL` and calls `loaded` on a later turn of the event loop with
    // the player, or with nullptr when the file cannot be played. Nothing is
    // called once `context` is gone.
    static void load(const QUrl &fileURL, QObject *context, Loaded loaded);

    ~QtAudioPlayer() override;

    double currentTime() const override;
    void setCurrentTime(double seconds) override;
    double duration() const override;
    bool isPlaying() const override;
    bool prepareToPlay() override;
    bool play() override;
    void pause() override;
    void stop() override;

private:
    QtAudioPlayer();

    QAudioOutput m_output;
    QMediaPlayer m_player;
    bool m_playing = false;
};

} // namespace holdra
