#include "Panel/VoiceNoteController.h"

#include "Audio/RecordingController.h"
#include "Models/StashItemKind.h"
#include "Panel/StashItemPresentation.h"
#include "Panel/ToastPresenter.h"
#include "Store/StashStore.h"

#include <QFileInfo>

namespace holdra {

VoiceNoteController::VoiceNoteController(StashStore &store, ToastPresenter &toasts, PlayerLoader loadPlayer,
                                         QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_toasts(toasts)
    , m_loadPlayer(std::move(loadPlayer))
    // Rows get a player opened beforehand (see togglePlayback), so the
    // playback controller's synchronous factory only hands it over.
    , m_player(new AudioPlaybackController([this](const QUrl &) { return std::exchange(m_loadedPlayer, nullptr); },
                                           nullptr, this))
{
}

void VoiceNoteController::setRecorder(RecordingController *recorder)
{
    if (m_recorder == recorder)
        return;
    if (m_recorder)
        disconnect(m_recorder, nullptr, this, nullptr);
    m_recorder = recorder;
    if (m_recorder) {
        connect(m_recorder, &RecordingController::stashed, this, &VoiceNoteController::handleStashed);
        connect(m_recorder, &RecordingController::discarded, this, [this](const QString &message) {
            // A kept recording waits for the next chance; say why it was not stashed.
            if (message.isEmpty())
                m_toasts.beep();
            else
                m_toasts.feedback(message, ToastPresenter::Kind::error);
        });
    }
    Q_EMIT recorderChanged();
}

bool VoiceNoteController::isRecording() const
{
    return m_recorder && m_recorder->isRecording();
}

void VoiceNoteController::toggleRecording(const QString &displayID)
{
    if (!m_recorder)
        return;
    m_recordingDisplayID = displayID;
    if (!m_recorder->isRecording()) {
        m_player->stop();
        m_recorder->start();
        return;
    }
    m_recorder->stopAndStash();
}

void VoiceNoteController::handleStashed(const StashItem &item)
{
    m_toasts.feedback(QStringLiteral("已录制 · ") + item.durationText().value_or(QString()));
    Q_EMIT noteStashed(item, m_recordingDisplayID);
}

void VoiceNoteController::stopIfPlayingAny(const QSet<QUuid> &ids)
{
    if (!m_player->activeItemID().isNull() && ids.contains(m_player->activeItemID()))
        m_player->stop();
}

void VoiceNoteController::togglePlayback(const QString &itemID)
{
    const QUuid id = StashItemPresentation::idFromText(itemID);
    for (const StashItem &item : m_store.items()) {
        if (!id.isNull() && item.id() == id)
            return togglePlayback(item);
    }
}

void VoiceNoteController::togglePlayback(const StashItem &item)
{
    if (item.kind() != StashItemKind::audio)
        return;
    if (isRecording()) {
        m_toasts.feedback(QStringLiteral("请先停止录音再播放"), ToastPresenter::Kind::error);
        return;
    }
    const std::optional<QString> path = m_store.absolutePath(item);
    if (!path || !QFileInfo::exists(*path)) {
        m_toasts.feedback(QStringLiteral("录音文件不存在"), ToastPresenter::Kind::error);
        return;
    }
    const QUrl url = QUrl::fromLocalFile(*path);
    const quint64 generation = ++m_loadGeneration;
    auto toggle = [this, id = item.id(), url] {
        if (!m_player->toggle(id, url))
            m_toasts.feedback(QStringLiteral("无法播放这段录音"), ToastPresenter::Kind::error);
    };
    // Pausing and resuming the loaded item need no new player.
    if (m_player->isActive(item.id()) || !m_loadPlayer) {
        toggle();
        return;
    }
    m_loadPlayer(url, this, [this, generation, toggle](std::unique_ptr<AudioPlaying> player) {
        if (generation != m_loadGeneration)
            return; // another row was pressed meanwhile
        if (isRecording())
            return;
        m_loadedPlayer = std::move(player);
        toggle();
        m_loadedPlayer.reset();
    });
}

} // namespace holdra
