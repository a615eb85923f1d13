#pragma once

#include "Audio/VoiceRecorder.h"

#include <QFile>
#include <QMetaObject>
#include <QObject>

#include <memory>

namespace holdra::test {

// What fake recorders do and what was done to them; shared with the test.
struct FakeVoiceRecorderState
{
    bool startsRecording = true;
    // Stop finishes the file on the next turn of the event loop instead of at once.
    bool finishesLater = false;
    // Stop never completes the file (a stuck encoder).
    bool neverFinishes = false;
    // Bytes written on record(); empty writes no file at all.
    QByteArray bytes = QByteArrayLiteral("m4a bytes");
    double currentTime = 0;
    int made = 0;
    QString lastPath;
    std::function<void()> interrupt;
};

class FakeVoiceRecorder : public VoiceRecorder
{
public:
    FakeVoiceRecorder(std::shared_ptr<FakeVoiceRecorderState> state, QString path)
        : m_state(std::move(state))
        , m_path(std::move(path))
    {
    }

    // A factory over `state`, as the controller takes it.
    static VoiceRecorderFactory factory(std::shared_ptr<FakeVoiceRecorderState> state)
    {
        return [state](const QString &path, std::function<void()> interrupted) -> std::unique_ptr<VoiceRecorder> {
            ++state->made;
            state->lastPath = path;
            state->interrupt = std::move(interrupted);
            return std::make_unique<FakeVoiceRecorder>(state, path);
        };
    }

    bool record() override
    {
        if (!m_state->bytes.isEmpty()) {
            QFile file(m_path);
            if (file.open(QIODevice::WriteOnly))
                file.write(m_state->bytes);
        }
        return m_state->startsRecording;
    }
    double currentTime() const override { return m_state->currentTime; }
    void stop(std::function<void()> finished) override
    {
        if (m_state->neverFinishes)
            return;
        if (m_state->finishesLater)
            QMetaObject::invokeMethod(&m_context, std::move(finished), Qt::QueuedConnection);
        else
            finished();
    }

private:
    std::shared_ptr<FakeVoiceRecorderState> m_state;
    QString m_path;
    QObject m_context;
};

} // namespace holdra::test
