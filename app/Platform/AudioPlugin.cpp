#include "Platform/AudioPlugin.h"

#include "Platform/GStreamerVoiceRecorder.h"
#include "Platform/QtAudioPlayer.h"
#include "Support/KitLogging.h"

#include <utility>

namespace holdra {

// The module links none of the kit, so it defines the audio logging area it
// shares with the kit itself; filter rules match both by name.
Q_LOGGING_CATEGORY(lcAudio, "holdra.audio", QtInfoMsg)

std::unique_ptr<VoiceRecorder> AudioPlugin::makeRecorder(const QString &filePath, std::function<void()> interrupted)
{
    return GStreamerVoiceRecorder::make(filePath, std::move(interrupted));
}

void AudioPlugin::loadPlayer(const QUrl &fileURL, QObject *context, Loaded loaded)
{
    QtAudioPlayer::load(fileURL, context, std::move(loaded));
}

} // namespace holdra
