#include "Audio/AudioPlaybackController.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace holdra {

namespace {

// Players may report NaN or infinity before they know better; neither is a position.
double finiteOrZero(double seconds)
{
    return std::isfinite(seconds) ? seconds : 0.0;
}

} // namespace

AudioPlaybackController::AudioPlaybackController(PlayerFactory playerFactory, QTimer *ticker, QObject *parent)
    : QObject(parent)
    , m_playerFactory(std::move(playerFactory))
    , m_ticker(ticker ? ticker : new QTimer(this))
{
    m_ticker->setParent(this);
    m_ticker->stop();
    m_ticker->setInterval(progressInterval);
    m_ticker->setSingleShot(false);
    connect(m_ticker, &QTimer::timeout, this, &AudioPlaybackController::refreshProgress);
}

bool AudioPlaybackController::toggle(const QUuid &itemID, const QUrl &fileURL)
{
    // A null identifier could never be told apart from idle.
    if (itemID.isNull())
        return false;

    if (m_player && itemID == m_activeItemID) {
        if (m_isPlaying) {
            m_player->pause();
            setCurrentTime(clampedToDuration(m_player->currentTime()));
            setPlaying(false);
            m_ticker->stop();
            return true;
        }
        if (m_duration > 0 && m_currentTime >= m_duration) {
            m_player->setCurrentTime(0);
            setCurrentTime(0);
        }
        return startPlaying();
    }

    if (m_player)
        m_player->stop();
    resetToIdle();

    std::unique_ptr<AudioPlaying> player = m_playerFactory ? m_playerFactory(fileURL) : nullptr;
    if (!player || !player->prepareToPlay())
        return false;

    m_player = std::move(player);
    setActiveItemID(itemID);
    setDuration(std::max(finiteOrZero(m_player->duration()), 0.0));
    setCurrentTime(clampedToDuration(m_player->currentTime()));
    return startPlaying();
}

bool AudioPlaybackController::isActive(const QUuid &itemID) const
{
    return !itemID.isNull() && itemID == m_activeItemID;
}

void AudioPlaybackController::seek(double seconds)
{
    if (!m_player)
        return;
    const double target = clampedToDuration(seconds);
    m_player->setCurrentTime(target);
    setCurrentTime(target);
}

void AudioPlaybackController::stop()
{
    if (m_player)
        m_player->stop();
    resetToIdle();
}

void AudioPlaybackController::refreshProgress()
{
    if (!m_player) {
        resetToIdle();
        return;
    }
    setCurrentTime(clampedToDuration(m_player->currentTime()));
    if (m_isPlaying && !m_player->isPlaying())
        resetToIdle();
}

bool AudioPlaybackController::startPlaying()
{
    if (!m_player->play()) {
        m_player->stop();
        resetToIdle();
        return false;
    }
    setPlaying(true);
    m_ticker->start();
    return true;
}

// The player is dropped without stop(): callers stop it first when it may
// still be sounding, and a player that has ended needs nothing more.
void AudioPlaybackController::resetToIdle()
{
    m_ticker->stop();
    m_player.reset();
    setActiveItemID(QUuid());
    setPlaying(false);
    setCurrentTime(0);
    setDuration(0);
}

void AudioPlaybackController::setActiveItemID(const QUuid &itemID)
{
    if (m_activeItemID == itemID)
        return;
    m_activeItemID = itemID;
    Q_EMIT activeItemIDChanged();
}

void AudioPlaybackController::setPlaying(bool playing)
{
    if (m_isPlaying == playing)
        return;
    m_isPlaying = playing;
    Q_EMIT isPlayingChanged();
}

void AudioPlaybackController::setCurrentTime(double seconds)
{
    if (m_currentTime == seconds)
        return;
    m_currentTime = seconds;
    Q_EMIT currentTimeChanged();
}

void AudioPlaybackController::setDuration(double seconds)
{
    if (m_duration == seconds)
        return;
    m_duration = seconds;
    Q_EMIT durationChanged();
}

double AudioPlaybackController::clampedToDuration(double seconds) const
{
    return std::min(std::max(finiteOrZero(seconds), 0.0), std::max(m_duration, 0.0));
}

} // namespace holdra
