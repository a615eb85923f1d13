#pragma once

#include "Platform/AudioBackend.h"

#include <QString>

#include <memory>

class QPluginLoader;

namespace holdra {

// The audio module (sounds through libcanberra, recording through GStreamer,
// playback through Qt Multimedia), loaded on the first sound, recording or
// playback: the closed capsule maps none of those libraries. Without the
// module every sound is silent, no recording starts and no file plays, and the
// log says why once. Make one at a time: the module's object is shared by the
// process and goes with the AudioModule that loaded it.
class AudioModule : public SystemSound
{
public:
    // The module's file name, beside the program in the build tree and once installed.
    static constexpr auto fileName = "holdra-audio.so";

    // `path` is the module's file; by default the one beside the running program.
    explicit AudioModule(QString path = {});
    ~AudioModule() override;
    AudioModule(const AudioModule &) = delete;
    AudioModule &operator=(const AudioModule &) = delete;

    // Loads the module if not yet done; nullptr when it cannot be loaded.
    AudioBackend *backend();
    bool isLoaded() const { return m_backend != nullptr; }

    bool play(Sound sound) override;
    // The recorders of voice notes; each call loads the module if need be.
    VoiceRecorderFactory recorderFactory();
    // As AudioBackend::loadPlayer; without the module `loaded` gets nullptr on a later turn.
    void loadPlayer(const QUrl &fileURL, QObject *context, AudioBackend::Loaded loaded);

private:
    QString m_path;
    std::unique_ptr<QPluginLoader> m_loader;
    AudioBackend *m_backend = nullptr;
    bool m_failed = false;
};

} // namespace holdra
