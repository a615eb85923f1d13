#pragma once

#include "Audio/VoiceRecorder.h"

#include <QAudioDevice>
#include <QObject>
#include <QTimer>

#include <chrono>

using GstElement = struct _GstElement;

namespace holdra {

// Records the default microphone as AAC in an MPEG-4 file at 44.1 kHz, one
// channel, through a GStreamer pipeline of its own. (Qt Multimedia's recorder
// of Qt 6.4 passes neither the channel count nor the rate on to GStreamer, so
// it records whatever the device delivers.)
class GStreamerVoiceRecorder : public QObject, public VoiceRecorder
{
    Q_OBJECT

public:
    static constexpr int sampleRate = 44100;
    static constexpr int channelCount = 1;
    // The encoder's bit rate: the "high" quality of a voice note.
    static constexpr int bitRate = 128000;
    // How long stop() waits for the file to be finished before giving up.
    static constexpr std::chrono::milliseconds finishTimeout{5000};

    ~GStreamerVoiceRecorder() override;

    // The factory of the application: nullptr without an input device or
    // without the elements the pipeline needs.
    static std::unique_ptr<VoiceRecorder> make(const QString &filePath, std::function<void()> interrupted);

    bool record() override;
    double currentTime() const override;
    void stop(std::function<void()> finished) override;

private:
    GStreamerVoiceRecorder(GstElement *pipeline, QAudioDevice device, std::function<void()> interrupted);

    void pollBus();
    void checkDeviceStillThere();
    void finish();
    void reportInterruption();

    GstElement *m_pipeline;
    QAudioDevice m_device;
    QTimer m_busPoll;
    QTimer m_finishTimeout;
    std::function<void()> m_interrupted;
    std::function<void()> m_finished;
    bool m_interruptionReported = false;
    mutable double m_lastPosition = 0;
};

} // namespace holdra
