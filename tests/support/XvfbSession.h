#pragma once

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <gtest/gtest.h>

namespace holdra::test {

using namespace Qt::StringLiterals;

// A private X server for one test program: Xvfb on a display it picks itself
// (-displayfd), with openbox as the EWMH window manager. Both are stopped when
// the session is destroyed. When either cannot start, the session is not
// running and failure() says why.
class XvfbSession
{
public:
    explicit XvfbSession(const QString &screenSize = u"1280x800x24"_s)
    {
        for (const QString &program : {u"Xvfb"_s, u"openbox"_s}) {
            if (QStandardPaths::findExecutable(program).isEmpty())
                m_failure = program + u" is not installed"_s;
        }
        if (m_failure.isEmpty() && !(startServer(screenSize) && startWindowManager())) {
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

private:
    bool fail(const QString &reason)
    {
        m_failure = reason;
        return false;
    }

    bool startServer(const QString &screenSize)
    {
        // -displayfd 1: Xvfb chooses a free display and writes its number to stdout.
        m_server.setStandardErrorFile(QProcess::nullDevice());
        m_server.start(u"Xvfb"_s, u"-displayfd 1 -screen 0 %1 -nolisten tcp -noreset"_s.arg(screenSize).split(u' '));
        QByteArray number;
        for (const QDeadlineTimer deadline(10000); !number.contains('\n') && !deadline.hasExpired();) {
            if (!m_server.waitForReadyRead(int(deadline.remainingTime())) && m_server.state() != QProcess::Running)
                break;
            number += m_server.readAllStandardOutput();
        }
        if (number.trimmed().isEmpty())
            return fail(u"Xvfb named no display: "_s + m_server.errorString());
        m_display = u':' + QString::fromLatin1(number.trimmed());
        return true;
    }

    bool startWindowManager()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"DISPLAY"_s, m_display);
        m_windowManager.setProcessEnvironment(env);
        m_windowManager.setStandardOutputFile(QProcess::nullDevice());
        m_windowManager.setStandardErrorFile(QProcess::nullDevice());
        m_windowManager.start(u"openbox"_s, {u"--sm-disable"_s});
        if (!m_windowManager.waitForStarted(10000))
            return fail(u"openbox did not start: "_s + m_windowManager.errorString());
        // openbox announces itself (_NET_SUPPORTING_WM_CHECK) before it lists what it
        // supports, and Qt reads _NET_SUPPORTED once at start-up: a client started in
        // between would think full-screen states unsupported. The work area is set
        // last, so wait for it as well as for the supported list.
        for (const QDeadlineTimer deadline(10000); !deadline.hasExpired(); QThread::msleep(50)) {
            QProcess probe;
            probe.setProcessEnvironment(env);
            probe.start(u"xprop"_s, u"-root _NET_SUPPORTING_WM_CHECK _NET_SUPPORTED _NET_WORKAREA"_s.split(u' '));
            probe.waitForFinished(10000);
            const QByteArray out = probe.readAllStandardOutput();
            if (out.contains("window id") && out.contains("_NET_WM_STATE_FULLSCREEN")
                && out.contains("_NET_WORKAREA(CARDINAL)"))
                return true;
        }
        return fail(u"openbox did not take over the display"_s);
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
