#pragma once

#include "Platform/AudioBackend.h"
#include "Platform/CanberraSound.h"

#include <QObject>

namespace holdra {

// The audio module's entry point: libcanberra's sounds, the GStreamer
// recorder and Qt Multimedia's player behind one interface.
class AudioPlugin : public QObject, public AudioBackend
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID HoldraAudioBackend_iid)
    Q_INTERFACES(holdra::AudioBackend)

public:
    bool play(Sound sound) override { return m_sound.play(sound); }
    std::unique_ptr<VoiceRecorder> makeRecorder(const QString &filePath, std::function<void()> interrupted) override;
    void loadPlayer(const QUrl &fileURL, QObject *context, Loaded loaded) override;

private:
    CanberraSound m_sound;
};

} // namespace holdra
