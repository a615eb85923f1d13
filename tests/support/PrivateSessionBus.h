#pragma once

#include <QDBusConnection>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

namespace holdra::test {

// A private dbus-daemon, stopped when the object goes. connect() opens a
// fresh connection to it.
class PrivateSessionBus
{
public:
    PrivateSessionBus()
    {
        QFile config(m_dir.filePath(QStringLiteral("bus.conf")));
        if (!config.open(QIODevice::WriteOnly)) {
            m_failure = config.errorString();
            return;
        }
        config.write(QStringLiteral("<busconfig><type>session</type><listen>unix:dir=%1</listen>"
                                    "<auth>EXTERNAL</auth><policy context=\"default\">"
                                    "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                                    "<allow own=\"*\"/></policy></busconfig>\n")
                         .arg(m_dir.path())
                         .toUtf8());
        config.close();
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--config-file=") + config.fileName(), QStringLiteral("--nofork"),
                        QStringLiteral("--print-address")});
        if (!m_daemon.waitForReadyRead(10000))
            m_failure = QStringLiteral("dbus-daemon did not start: ") + m_daemon.errorString();
        else
            m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }
    ~PrivateSessionBus()
    {
        for (int i = 0; i < m_connections; ++i)
            QDBusConnection::disconnectFromBus(connectionName(i));
        m_daemon.terminate();
        if (!m_daemon.waitForFinished(3000))
            m_daemon.kill();
        m_daemon.waitForFinished(3000);
    }
    PrivateSessionBus(const PrivateSessionBus &) = delete;
    PrivateSessionBus &operator=(const PrivateSessionBus &) = delete;

    // Empty when the bus runs.
    QString failure() const { return m_failure; }

    QDBusConnection connect() { return QDBusConnection::connectToBus(m_address, connectionName(m_connections++)); }

private:
    static QString connectionName(int i) { return QStringLiteral("holdra-test-bus-%1").arg(i); }

    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
    QString m_failure;
    int m_connections = 0;
};

} // namespace holdra::test
