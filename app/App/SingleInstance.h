#pragma once

#include "Cli/CommandReply.h"
#include "Cli/CommandRequest.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

class QLocalServer;
class QLocalSocket;

namespace holdra {

// One Holdra per user and data directory. The first instance listens on a
// local socket in the user's private runtime directory; a later `holdra FILE…`
// hands its files to it and exits, so the running instance stays the only
// writer of the stash. Both ends check that the other belongs to the same user:
// the server drops other users' connections, and a client never hands its
// files to a server run by someone else.
//
// The serving side of the instance socket (cli::InstanceProtocol says what
// travels over it); the asking side is cli::InstanceClient, whose functions
// are offered here too.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    explicit SingleInstance(QString serverName, QObject *parent = nullptr);
    ~SingleInstance() override;

    // The socket's path: in Holdra's private runtime directory, named after the
    // data directory, so separate data directories (tests, a second profile)
    // never meet. Empty when this user has no private runtime directory.
    static QString defaultServerName();

    // Makes the socket's directory private (0700, ours) and takes the path,
    // replacing a socket file left by an instance that died. False when another
    // live instance of this user has it, or the directory or socket cannot be made.
    bool listen();
    bool isListening() const;
    const QString &serverName() const { return m_serverName; }

    // The client side: hands `urls` (none means "show yourself") to the
    // running instance and waits for it to confirm. False when there is none,
    // or when the socket is served by another user (who then gets nothing).
    // Blocks for at most `timeoutMs`.
    static bool forward(const QString &serverName, const QList<QUrl> &urls, int timeoutMs = 3000);
    // `holdra --settings` while Holdra runs: the running instance opens its settings window.
    static bool forwardSettingsRequest(const QString &serverName, int timeoutMs = 3000);
    // `holdra toggle`: the running instance opens or closes its panel.
    static bool forwardToggleRequest(const QString &serverName, int timeoutMs = 3000);
    // A writing command carried out by the running instance. Nothing when no
    // instance of this user answers, so the caller may run it itself; once one
    // took the request, its answer, or a failure saying it never came.
    static std::optional<cli::CommandReply> forwardCommand(const QString &serverName,
                                                           const cli::CommandRequest &request,
                                                           int connectTimeoutMs = 3000, int replyTimeoutMs = 120000);

    // Carries out forwarded commands; without one they are answered with a failure.
    // The handler calls `reply` once the command is done, perhaps from a later
    // turn of the event loop (a big copy); the terminal waits for it.
    using Reply = std::function<void(const cli::CommandReply &)>;
    using CommandHandler = std::function<void(const cli::CommandRequest &, Reply reply)>;
    void setCommandHandler(CommandHandler handler) { m_commandHandler = std::move(handler); }

Q_SIGNALS:
    // Files opened with Holdra from another invocation.
    void filesOpened(const QList<QUrl> &urls);
    // A second start without files.
    void showRequested();
    void settingsRequested();
    void toggleRequested();

private:
    void accept();
    void read(QLocalSocket *socket);
    void answerCommand(QLocalSocket *socket, const QByteArray &payload);

    QString m_serverName;
    QLocalServer *m_server = nullptr;
    CommandHandler m_commandHandler;
};

} // namespace holdra
