#pragma once

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QString>
#include <QThread>
#include <gtest/gtest.h>

namespace holdra::test {

// A private X server for one test program: Xvfb on a display it picks itself
// (-displayfd), with openbox as the EWMH window manager. Both are stopped when
// the session is destroyed. When Xvfb or openbox is missing the session is not
// running and failure() says why.
class XvfbSession
{
public:
    explicit XvfbSession(const QString &screenSize = QStringLiteral("1280x800x24"))
    {
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()) {
            m_failure = QStringLiteral("Xvfb is not installed");
            return;
        }
        if (QStandardPaths::findExecutable(QStringLiteral("openbox")).isEmpty()) {
            m_failure = QStringLiteral("openbox is not installed");
            return;
        }
        if (!startServer(screenSize) || !startWindowManager()) {
            stop();
            m_display.clear();
        }
    }

    ~XvfbSession() { stop(); }

    XvfbSession(const XvfbSession &) = delete;
    XvfbSession &operator=(const XvfbSession &) = delete;

    bool isRunning() const { return !m_display.isEmpty(); }
    QString display() const { return m_display; }
    QString failure() const { return m_failure; }

    // The environment for clients started by the test (xdotool, xprop, …).
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), m_display);
        return env;
    }

private:
    static constexpr int startTimeoutMs = 10000;

    bool startServer(const QString &screenSize)
    {
        // -displayfd 1: Xvfb chooses a free display and writes its number to stdout.
        m_server.setProgram(QStringLiteral("Xvfb"));
        m_server.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                               QStringLiteral("0"), screenSize, QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                               QStringLiteral("-noreset")});
        m_server.setProcessChannelMode(QProcess::SeparateChannels);
        m_server.setStandardErrorFile(QProcess::nullDevice());
        m_server.start();
        if (!m_server.waitForStarted(startTimeoutMs)) {
            m_failure = QStringLiteral("Xvfb did not start: ") + m_server.errorString();
            return false;
        }
        QByteArray number;
        const QDeadlineTimer deadline(startTimeoutMs);
        while (!number.contains('\n') && !deadline.hasExpired()) {
            if (!m_server.waitForReadyRead(int(deadline.remainingTime()))) {
                if (m_server.state() != QProcess::Running)
                    break;
            }
            number += m_server.readAllStandardOutput();
        }
        number = number.trimmed();
        if (number.isEmpty()) {
            m_failure = QStringLiteral("Xvfb named no display");
            return false;
        }
        m_display = QLatin1Char(':') + QString::fromLatin1(number);
        return true;
    }

    bool startWindowManager()
    {
        m_windowManager.setProgram(QStringLiteral("openbox"));
        m_windowManager.setArguments({QStringLiteral("--sm-disable")});
        m_windowManager.setProcessEnvironment(environment());
        m_windowManager.setStandardOutputFile(QProcess::nullDevice());
        m_windowManager.setStandardErrorFile(QProcess::nullDevice());
        m_windowManager.start();
        if (!m_windowManager.waitForStarted(startTimeoutMs)) {
            m_failure = QStringLiteral("openbox did not start: ") + m_windowManager.errorString();
            return false;
        }
        // openbox announces itself (_NET_SUPPORTING_WM_CHECK) before it lists what it
        // supports, and Qt reads _NET_SUPPORTED once at start-up: a client started in
        // between would think full-screen states unsupported. The work area is set
        // last, so wait for it as well as for the supported list.
        const QDeadlineTimer deadline(startTimeoutMs);
        while (!deadline.hasExpired()) {
            QProcess probe;
            probe.setProcessEnvironment(environment());
            probe.start(QStringLiteral("xprop"),
                        {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK"),
                         QStringLiteral("_NET_SUPPORTED"), QStringLiteral("_NET_WORKAREA")});
            probe.waitForFinished(startTimeoutMs);
            const QByteArray out = probe.readAllStandardOutput();
            if (out.contains("window id") && out.contains("_NET_WM_STATE_FULLSCREEN")
                && out.contains("_NET_WORKAREA(CARDINAL)"))
                return true;
            QThread::msleep(50);
        }
        m_failure = QStringLiteral("openbox did not take over the display");
        return false;
    }

    void stop()
    {
        for (QProcess *process : {&m_windowManager, &m_server}) {
            if (process->state() == QProcess::NotRunning)
                continue;
            process->terminate();
            if (!process->waitForFinished(3000)) {
                process->kill();
                process->waitForFinished(3000);
            }
        }
    }

    QProcess m_server;
    QProcess m_windowManager;
    QString m_display;
    QString m_failure;
};

// Test bodies that need the X server of an X11*Test suite start with this.
#define HOLDRA_SKIP_WITHOUT_X11()                                                                                      \
    do {                                                                                                               \
        if (QGuiApplication::platformName() != QLatin1String("xcb"))                                                   \
            GTEST_SKIP() << "needs an X server (Xvfb and openbox)";                                                    \
    } while (false)

} // namespace holdra::test
