#pragma once

#include "Audio/VoiceRecorder.h"

#include <QAudioDevice>
#include <QAudioInput>
#include <QMediaCaptureSession>
#include <QMediaRecorder>
#include <QObject>
#include <QTimer>

namespace holdra {

// Records the default microphone through Qt Multimedia (GStreamer) as AAC in
// an MPEG-4 file: 44.1 kHz, one channel, high quality.
class QtVoiceRecorder : public QObject, public VoiceRecorder
{
    Q_OBJECT

public:
    // How long stop() waits for the file to be finished before giving up.
    static constexpr std::chrono::milliseconds finishTimeout{5000};

    QtVoiceRecorder(const QString &filePath, std::function<void()> interrupted);
    ~QtVoiceRecorder() override;

    // The factory of the application: nullptr without any input device.
    static std::unique_ptr<VoiceRecorder> make(const QString &filePath, std::function<void()> interrupted);

    bool record() override;
    double currentTime() const override;
    void stop(std::function<void()> finished) override;

private:
    void handleStateChange(QMediaRecorder::RecorderState state);
    void handleError(QMediaRecorder::Error error, const QString &description);
    void handleInputsChanged();
    void finish();
    void reportInterruption();

    QString m_filePath;
    QAudioDevice m_device;
    QMediaCaptureSession m_session;
    QAudioInput m_input;
    QMediaRecorder m_recorder;
    QTimer m_finishTimeout;
    std::function<void()> m_interrupted;
    std::function<void()> m_finished;
    bool m_interruptionReported = false;
};

} // namespace holdra
