#include "Platform/AudioModule.h"

#include "Support/KitLogging.h"

#include <QCoreApplication>
#include <QDir>
#include <QPluginLoader>
#include <QPointer>
#include <QTimer>

#include <utility>

namespace holdra {

AudioModule::AudioModule(QString path)
    : m_path(path.isEmpty() ? QDir(QCoreApplication::applicationDirPath()).filePath(QLatin1String(fileName))
                            : std::move(path))
{
}

AudioModule::~AudioModule()
{
    // The sound server's connection goes with the module's object; the library
    // itself stays mapped, as GStreamer cannot be unloaded.
    if (m_backend)
        delete m_loader->instance();
}

AudioBackend *AudioModule::backend()
{
    if (m_backend || m_failed)
        return m_backend;
    m_loader = std::make_unique<QPluginLoader>(m_path);
    m_backend = qobject_cast<AudioBackend *>(m_loader->instance());
    m_failed = !m_backend;
    if (m_failed)
        qCWarning(lcAudio).noquote() << QStringLiteral(
                                            "no audio module (%1); sounds, voice notes and their playback are off")
                                            .arg(m_loader->errorString());
    else
        qCDebug(lcAudio).noquote() << "audio module loaded from" << m_path;
    return m_backend;
}

bool AudioModule::play(Sound sound)
{
    AudioBackend *audio = backend();
    return audio && audio->play(sound);
}

VoiceRecorderFactory AudioModule::recorderFactory()
{
    return [this](const QString &filePath, std::function<void()> interrupted) -> std::unique_ptr<VoiceRecorder> {
        AudioBackend *audio = backend();
        return audio ? audio->makeRecorder(filePath, std::move(interrupted)) : nullptr;
    };
}

void AudioModule::loadPlayer(const QUrl &fileURL, QObject *context, AudioBackend::Loaded loaded)
{
    if (AudioBackend *audio = backend()) {
        audio->loadPlayer(fileURL, context, std::move(loaded));
        return;
    }
    QTimer::singleShot(0, context, [loaded = std::move(loaded)] { loaded(nullptr); });
}

} // namespace holdra
