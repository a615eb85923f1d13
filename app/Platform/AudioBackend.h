#pragma once

#include "Audio/AudioPlaying.h"
#include "Audio/VoiceRecorder.h"
#include "Platform/SystemSound.h"

#include <QtPlugin>

#include <functional>
#include <memory>

class QObject;
class QUrl;

namespace holdra {

// Sounds, voice recording and playback: what the separately loaded audio
// module provides (see AudioModule). Sound servers, GStreamer and Qt
// Multimedia are mapped only once one of these is first used.
class AudioBackend : public SystemSound
{
public:
    using Loaded = std::function<void(std::unique_ptr<AudioPlaying> player)>;

    // A recorder writing `filePath`; nullptr without an input device or encoder.
    virtual std::unique_ptr<VoiceRecorder> makeRecorder(const QString &filePath, std::function<void()> interrupted) = 0;
    // Opens `fileURL` and calls `loaded` on a later turn of the event loop with
    // the player, or with nullptr when the file cannot be played. Nothing is
    // called once `context` is gone.
    virtual void loadPlayer(const QUrl &fileURL, QObject *context, Loaded loaded) = 0;
};

} // namespace holdra

#define HoldraAudioBackend_iid "com.tessavel.Holdra.AudioBackend/1"
Q_DECLARE_INTERFACE(holdra::AudioBackend, HoldraAudioBackend_iid)
