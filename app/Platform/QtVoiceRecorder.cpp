#include "Platform/QtVoiceRecorder.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMediaDevices>
#include <QMediaFormat>
#include <QUrl>

namespace holdra {

Q_LOGGING_CATEGORY(lcVoiceRecorder, "holdra.recording.qt")

QtVoiceRecorder::QtVoiceRecorder(const QString &filePath, std::function<void()> interrupted)
    : m_filePath(filePath)
    , m_device(QMediaDevices::defaultAudioInput())
    , m_interrupted(std::move(interrupted))
{
    m_input.setDevice(m_device);
    m_session.setAudioInput(&m_input);
    m_session.setRecorder(&m_recorder);

    QMediaFormat format(QMediaFormat::MPEG4);
    format.setAudioCodec(QMediaFormat::AudioCodec::AAC);
    m_recorder.setMediaFormat(format);
    m_recorder.setAudioSampleRate(44100);
    m_recorder.setAudioChannelCount(1);
    m_recorder.setQuality(QMediaRecorder::HighQuality);
    m_recorder.setEncodingMode(QMediaRecorder::ConstantQualityEncoding);
    m_recorder.setOutputLocation(QUrl::fromLocalFile(filePath));

    m_finishTimeout.setSingleShot(true);
    m_finishTimeout.setInterval(finishTimeout);
    connect(&m_finishTimeout, &QTimer::timeout, this, [this] {
        qCWarning(lcVoiceRecorder) << "the recording was not finished in time; keeping what was written";
        finish();
    });
    connect(&m_recorder, &QMediaRecorder::recorderStateChanged, this, &QtVoiceRecorder::handleStateChange);
    connect(&m_recorder, &QMediaRecorder::errorOccurred, this, &QtVoiceRecorder::handleError);
    auto *devices = new QMediaDevices(this);
    connect(devices, &QMediaDevices::audioInputsChanged, this, &QtVoiceRecorder::handleInputsChanged);
}

QtVoiceRecorder::~QtVoiceRecorder()
{
    m_finished = nullptr;
    m_interrupted = nullptr;
    if (m_recorder.recorderState() != QMediaRecorder::StoppedState)
        m_recorder.stop();
}

std::unique_ptr<VoiceRecorder> QtVoiceRecorder::make(const QString &filePath, std::function<void()> interrupted)
{
    if (QMediaDevices::defaultAudioInput().isNull()) {
        qCWarning(lcVoiceRecorder) << "no audio input device";
        return nullptr;
    }
    return std::make_unique<QtVoiceRecorder>(filePath, std::move(interrupted));
}

bool QtVoiceRecorder::record()
{
    m_recorder.record();
    if (m_recorder.error() != QMediaRecorder::NoError) {
        qCWarning(lcVoiceRecorder) << "recording did not start:" << m_recorder.errorString();
        return false;
    }
    return m_recorder.recorderState() == QMediaRecorder::RecordingState;
}

double QtVoiceRecorder::currentTime() const
{
    return double(m_recorder.duration()) / 1000;
}

void QtVoiceRecorder::stop(std::function<void()> finished)
{
    m_finished = std::move(finished);
    if (m_recorder.recorderState() == QMediaRecorder::StoppedState) {
        finish();
        return;
    }
    // The muxer writes the file's index on end of stream; the state turns to
    // stopped only once the file is complete.
    m_finishTimeout.start();
    m_recorder.stop();
}

void QtVoiceRecorder::handleStateChange(QMediaRecorder::RecorderState state)
{
    if (state != QMediaRecorder::StoppedState)
        return;
    if (m_finished)
        finish();
    else
        reportInterruption();
}

void QtVoiceRecorder::handleError(QMediaRecorder::Error error, const QString &description)
{
    qCWarning(lcVoiceRecorder) << "recorder error" << error << description;
    if (m_finished)
        finish();
    else
        reportInterruption();
}

void QtVoiceRecorder::handleInputsChanged()
{
    const QList<QAudioDevice> inputs = QMediaDevices::audioInputs();
    if (!m_finished && !inputs.contains(m_device)) {
        qCWarning(lcVoiceRecorder) << "the microphone went away";
        reportInterruption();
    }
}

void QtVoiceRecorder::finish()
{
    m_finishTimeout.stop();
    // The recorder adds the container's own suffix (".mp4") to a name it does
    // not know; the controller expects the file where it asked for it.
    const QString written = m_recorder.actualLocation().toLocalFile();
    if (!written.isEmpty() && written != m_filePath && QFileInfo::exists(written)) {
        QFile::remove(m_filePath);
        if (!QFile::rename(written, m_filePath))
            qCWarning(lcVoiceRecorder) << "could not move the recording to" << m_filePath;
    }
    if (auto finished = std::exchange(m_finished, nullptr))
        finished();
}

void QtVoiceRecorder::reportInterruption()
{
    if (m_interruptionReported || !m_interrupted)
        return;
    m_interruptionReported = true;
    // Never from inside a call of the controller.
    QMetaObject::invokeMethod(this, [this] { if (m_interrupted) m_interrupted(); }, Qt::QueuedConnection);
}

} // namespace holdra
