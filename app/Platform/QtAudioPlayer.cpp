#include "Platform/QtAudioPlayer.h"

#include "Support/KitLogging.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <utility>

namespace holdra {

QtAudioPlayer::QtAudioPlayer()
{
    m_player.setAudioOutput(&m_output);
    connect(&m_player, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus status) {
        if (status == QMediaPlayer::EndOfMedia || status == QMediaPlayer::InvalidMedia)
            m_playing = false;
    });
    connect(&m_player, &QMediaPlayer::errorOccurred, this, [this](QMediaPlayer::Error, const QString &text) {
        qCWarning(lcAudio) << "playback failed:" << text;
        m_playing = false;
    });
}

QtAudioPlayer::~QtAudioPlayer()
{
    m_player.stop();
}

void QtAudioPlayer::load(const QUrl &fileURL, QObject *context, Loaded loaded)
{
    // Owned by the pending load until it is handed out or dropped.
    auto *player = new QtAudioPlayer;
    auto *timeout = new QTimer(player);
    timeout->setSingleShot(true);
    auto settle = [player, timeout, guard = QPointer<QObject>(context), loaded](bool ok) mutable {
        timeout->stop();
        QObject::disconnect(&player->m_player, nullptr, timeout, nullptr);
        std::unique_ptr<QtAudioPlayer> owned(player);
        if (!ok)
            owned.reset();
        if (guard && loaded)
            loaded(std::move(owned));
    };
    auto done = std::make_shared<bool>(false);
    auto finishOnce = [done, settle](bool ok) mutable {
        if (std::exchange(*done, true))
            return;
        // Handed out on the next turn, never from inside the player's own signal.
        QMetaObject::invokeMethod(
            qApp, [settle, ok]() mutable { settle(ok); }, Qt::QueuedConnection);
    };
    QObject::connect(&player->m_player, &QMediaPlayer::mediaStatusChanged, timeout,
                     [finishOnce](QMediaPlayer::MediaStatus status) mutable {
                         if (status == QMediaPlayer::LoadedMedia || status == QMediaPlayer::BufferedMedia)
                             finishOnce(true);
                         else if (status == QMediaPlayer::InvalidMedia)
                             finishOnce(false);
                     });
    QObject::connect(&player->m_player, &QMediaPlayer::errorOccurred, timeout,
                     [finishOnce](QMediaPlayer::Error, const QString &) mutable { finishOnce(false); });
    QObject::connect(timeout, &QTimer::timeout, timeout, [finishOnce]() mutable {
        qCWarning(lcAudio) << "the file did not open in time";
        finishOnce(false);
    });
    timeout->start(loadTimeout);
    player->m_player.setSource(fileURL);
}

double QtAudioPlayer::currentTime() const
{
    return double(m_player.position()) / 1000;
}

void QtAudioPlayer::setCurrentTime(double seconds)
{
    m_player.setPosition(qint64(seconds * 1000));
}

double QtAudioPlayer::duration() const
{
    return double(m_player.duration()) / 1000;
}

bool QtAudioPlayer::isPlaying() const
{
    return m_playing;
}

bool QtAudioPlayer::prepareToPlay()
{
    return m_player.error() == QMediaPlayer::NoError && m_player.mediaStatus() != QMediaPlayer::InvalidMedia;
}

bool QtAudioPlayer::play()
{
    if (m_player.mediaStatus() == QMediaPlayer::EndOfMedia)
        m_player.setPosition(0);
    m_player.play();
    m_playing = m_player.error() == QMediaPlayer::NoError;
    return m_playing;
}

void QtAudioPlayer::pause()
{
    m_player.pause();
    m_playing = false;
}

void QtAudioPlayer::stop()
{
    m_player.stop();
    m_playing = false;
}

} // namespace holdra
