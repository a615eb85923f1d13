#pragma once

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

namespace holdra::test {

// A private PulseAudio server with a null sink and a silent source, on a socket in a temporary
// directory, stopped when the session is destroyed. Clients reach it through
// PULSE_SERVER=serverAddress().
class PulseAudioSession
{
public:
    PulseAudioSession()
    {
        const QString socket = m_dir.filePath(QStringLiteral("native"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_dir.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
        env.remove(QStringLiteral("DISPLAY"));
        m_server.setProcessEnvironment(env);
        m_server.setStandardOutputFile(QProcess::nullDevice());
        m_server.setStandardErrorFile(QProcess::nullDevice());
        // Device lists leave out a sink's monitor: the microphone is a silent source.
        m_server.start(QStringLiteral("pulseaudio"),
                       {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                        QStringLiteral("--disable-shm=yes"), QStringLiteral("-L"), QStringLiteral("module-null-sink"),
                        QStringLiteral("-L"), QStringLiteral("module-null-source source_name=holdra_microphone"),
                        QStringLiteral("-L"),
                        QStringLiteral("module-native-protocol-unix socket=%1 auth-anonymous=1").arg(socket)});
        const QDeadlineTimer deadline(10000);
        while (!QFileInfo::exists(socket) && !deadline.hasExpired() && m_server.state() != QProcess::NotRunning)
            QThread::msleep(20);
        if (QFileInfo::exists(socket))
            m_address = QStringLiteral("unix:") + socket;
        else
            m_failure = QStringLiteral("pulseaudio did not start: ") + m_server.errorString();
    }
    ~PulseAudioSession()
    {
        m_server.terminate();
        if (!m_server.waitForFinished(3000))
            m_server.kill();
        m_server.waitForFinished(3000);
    }
    PulseAudioSession(const PulseAudioSession &) = delete;
    PulseAudioSession &operator=(const PulseAudioSession &) = delete;

    bool isRunning() const { return !m_address.isEmpty(); }
    QString serverAddress() const { return m_address; }
    QString failure() const { return m_failure; }

private:
    QTemporaryDir m_dir;
    QProcess m_server;
    QString m_address;
    QString m_failure;
};

} // namespace holdra::test
