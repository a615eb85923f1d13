#pragma once

#include "Audio/AudioPlaying.h"

#include <QObject>
#include <QTimer>
#include <QUrl>
#include <QUuid>

#include <chrono>
#include <functional>
#include <memory>

namespace holdra {

// Plays one stashed recording at a time and publishes its state for the rows:
// which item is loaded, whether it plays, and its position and length. While
// something plays, a ticker refreshes the position five times a second and
// notices when the file has ended.
class AudioPlaybackController : public QObject
{
    Q_OBJECT
    // Null while idle.
    Q_PROPERTY(QUuid activeItemID READ activeItemID NOTIFY activeItemIDChanged)
    Q_PROPERTY(bool isPlaying READ isPlaying NOTIFY isPlayingChanged)
    // Always within 0 … duration.
    Q_PROPERTY(double currentTime READ currentTime NOTIFY currentTimeChanged)
    Q_PROPERTY(double duration READ duration NOTIFY durationChanged)

public:
    // Opens a player on a file; nullptr when the file cannot be opened.
    using PlayerFactory = std::function<std::unique_ptr<AudioPlaying>(const QUrl &fileURL)>;

    static constexpr std::chrono::milliseconds progressInterval{200};

    // Without a ticker the controller makes its own timer. A given ticker
    // becomes the controller's child; the controller sets its interval and
    // starts and stops it.
    explicit AudioPlaybackController(PlayerFactory playerFactory, QTimer *ticker = nullptr, QObject *parent = nullptr);

    QUuid activeItemID() const { return m_activeItemID; }
    bool isPlaying() const { return m_isPlaying; }
    double currentTime() const { return m_currentTime; }
    double duration() const { return m_duration; }

    // Plays, pauses or resumes `itemID`, stopping any other item first. A
    // paused item that had reached its end starts again from 0. Returns false
    // when playback could not start (the controller is then idle) and for a
    // null identifier (nothing changes).
    bool toggle(const QUuid &itemID, const QUrl &fileURL);
    Q_INVOKABLE bool isActive(const QUuid &itemID) const;
    // Moves the loaded item to `seconds`, clamped to its length; playing or
    // paused stays as it is. Does nothing while idle.
    Q_INVOKABLE void seek(double seconds);
    Q_INVOKABLE void stop();

    // Reads the position from the player and returns to idle once the file has
    // ended; the ticker calls it.
    void refreshProgress();

Q_SIGNALS:
    void activeItemIDChanged();
    void isPlayingChanged();
    void currentTimeChanged();
    void durationChanged();

private:
    bool startPlaying();
    void resetToIdle();
    void setActiveItemID(const QUuid &itemID);
    void setPlaying(bool playing);
    void setCurrentTime(double seconds);
    void setDuration(double seconds);
    double clampedToDuration(double seconds) const;

    PlayerFactory m_playerFactory;
    QTimer *m_ticker;
    std::unique_ptr<AudioPlaying> m_player;
    QUuid m_activeItemID;
    bool m_isPlaying = false;
    double m_currentTime = 0;
    double m_duration = 0;
};

} // namespace holdra
