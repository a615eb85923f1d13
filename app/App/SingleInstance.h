#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

class QLocalServer;
class QLocalSocket;

namespace holdra {

// One Holdra per user and data directory. The first instance listens on a
// local socket; a later `holdra FILE…` hands its files to it and exits, so the
// running instance stays the only writer of the stash.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    explicit SingleInstance(QString serverName, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Derived from the user and the data directory, so separate data
    // directories (tests, a second profile) never meet.
    static QString defaultServerName();

    // Takes the name, replacing a socket file left by an instance that died.
    // False when another live instance has it, or the socket cannot be made.
    bool listen();
    bool isListening() const;
    const QString &serverName() const { return m_serverName; }

    // The client side: hands `urls` (none means "show yourself") to the
    // running instance and waits for it to confirm. False when there is none.
    // Blocks for at most `timeoutMs`.
    static bool forward(const QString &serverName, const QList<QUrl> &urls, int timeoutMs = 3000);
    // `holdra --settings` while Holdra runs: the running instance opens its settings window.
    static bool forwardSettingsRequest(const QString &serverName, int timeoutMs = 3000);

Q_SIGNALS:
    // Files opened with Holdra from another invocation.
    void filesOpened(const QList<QUrl> &urls);
    // A second start without files.
    void showRequested();
    void settingsRequested();

private:
    static bool send(const QString &serverName, const QByteArray &request, int timeoutMs);
    void accept();
    void read(QLocalSocket *socket);

    QString m_serverName;
    QLocalServer *m_server = nullptr;
};

} // namespace holdra
