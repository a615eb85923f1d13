#include "App/SingleInstance.h"

#include "App/AppLogging.h"
#include "Cli/InstanceClient.h"
#include "Cli/InstanceProtocol.h"
#include "Integration/ExternalFileImportContract.h"
#include "Support/PrivateDirectory.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>

#include <optional>
#include <sys/socket.h>
#include <unistd.h>

namespace holdra {

namespace {

using namespace cli::InstanceProtocol;

// The user at the other end, as the kernel recorded it when the connection was made.
std::optional<uid_t> peerUid(const QLocalSocket &socket)
{
    struct ucred credentials
    {
    };
    socklen_t size = sizeof credentials;
    if (::getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0)
        return std::nullopt;
    return credentials.uid;
}

bool isOwnUser(const QLocalSocket &socket, const QString &serverName)
{
    const std::optional<uid_t> uid = peerUid(socket);
    if (uid && *uid == ::geteuid())
        return true;
    qCWarning(lcIpc).nospace() << "refused a connection with uid " << (uid ? qint64(*uid) : -1) << " on " << serverName;
    return false;
}

} // namespace

SingleInstance::SingleInstance(QString serverName, QObject *parent)
    : QObject(parent)
    , m_serverName(std::move(serverName))
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultServerName()
{
    return cli::InstanceClient::defaultServerName();
}

bool SingleInstance::listen()
{
    if (isListening())
        return true;
    // A relative name would land in the shared temporary directory.
    if (!QDir::isAbsolutePath(m_serverName)) {
        qCWarning(lcIpc) << "no private place for the instance socket";
        return false;
    }
    if (const QString error = PrivateDirectory::make(QFileInfo(m_serverName).path()); !error.isEmpty()) {
        qCWarning(lcIpc).noquote() << "instance socket:" << error;
        return false;
    }
    {
        QLocalSocket probe;
        probe.connectToServer(m_serverName);
        if (probe.waitForConnected(500) && isOwnUser(probe, m_serverName))
            return false;
    }
    // Nobody of ours answered, and the directory is private: whatever socket
    // file is there belongs to a dead instance.
    QLocalServer::removeServer(m_serverName);
    auto *server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(m_serverName)) {
        delete server;
        return false;
    }
    m_server = server;
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::accept);
    qCDebug(lcIpc).noquote() << "listening on" << m_server->fullServerName();
    return true;
}

bool SingleInstance::isListening() const
{
    return m_server && m_server->isListening();
}

void SingleInstance::accept()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        if (!isOwnUser(*socket, m_serverName)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { read(socket); });
        read(socket);
    }
}

void SingleInstance::read(QLocalSocket *socket)
{
    if (socket->bytesAvailable() > maximumRequestSize) {
        socket->abort();
        return;
    }
    const QByteArray buffered = socket->peek(socket->bytesAvailable());
    if (buffered.startsWith(QByteArray(commandHeader.toByteArray() + '\n'))) {
        const Frame request = unframe(buffered, commandHeader);
        if (request.state == Frame::Malformed)
            socket->abort();
        if (request.state != Frame::Complete)
            return;
        socket->readAll();
        qCDebug(lcIpc) << "forwarded command of" << request.payload.size() << "bytes";
        answerCommand(socket, request.payload);
        return;
    }
    if (!buffered.endsWith("\n\n"))
        return;
    socket->readAll();
    QList<QByteArray> lines = buffered.chopped(2).split('\n');
    const QByteArray header = lines.isEmpty() ? QByteArray() : lines.takeFirst();
    qCDebug(lcIpc) << "request" << header << "naming" << lines.size() << "files";
    if (header == settingsHeader && lines.isEmpty()) {
        socket->write(acceptedReply.toByteArray() + '\n');
        socket->flush();
        socket->disconnectFromServer();
        Q_EMIT settingsRequested();
        return;
    }
    if (header == toggleHeader && lines.isEmpty()) {
        socket->write(acceptedReply.toByteArray() + '\n');
        socket->flush();
        socket->disconnectFromServer();
        Q_EMIT toggleRequested();
        return;
    }
    if (header != openHeader) {
        socket->abort();
        return;
    }
    QList<QUrl> urls;
    for (const QByteArray &line : std::as_const(lines))
        urls.append(QUrl::fromEncoded(line, QUrl::StrictMode));
    socket->write(acceptedReply.toByteArray() + '\n');
    socket->flush();
    socket->disconnectFromServer();
    // The sender normalised already; the receiver does not trust it to have.
    const QList<QUrl> files = ExternalFileImportContract::normalizedFileURLs(urls);
    if (lines.isEmpty())
        Q_EMIT showRequested();
    else if (!files.isEmpty())
        Q_EMIT filesOpened(files);
}

void SingleInstance::answerCommand(QLocalSocket *socket, const QByteArray &payload)
{
    // The terminal may have given up (Ctrl+C) before a late answer is ready.
    const Reply reply = [socket = QPointer<QLocalSocket>(socket)](const cli::CommandReply &answer) {
        if (!socket)
            return;
        socket->write(frame(replyHeader, answer.encode()));
        socket->flush();
        socket->disconnectFromServer();
    };
    const std::optional<cli::CommandRequest> request = cli::CommandRequest::decode(payload);
    if (request && m_commandHandler) {
        m_commandHandler(*request, reply);
        return;
    }
    cli::CommandReply refused;
    refused.err = "holdra: 正在运行的 Holdra 无法接受这个命令\n";
    reply(refused);
}

bool SingleInstance::forward(const QString &serverName, const QList<QUrl> &urls, int timeoutMs)
{
    return cli::InstanceClient::forward(serverName, urls, timeoutMs);
}

bool SingleInstance::forwardSettingsRequest(const QString &serverName, int timeoutMs)
{
    return cli::InstanceClient::forwardSettingsRequest(serverName, timeoutMs);
}

bool SingleInstance::forwardToggleRequest(const QString &serverName, int timeoutMs)
{
    return cli::InstanceClient::forwardToggleRequest(serverName, timeoutMs);
}

std::optional<cli::CommandReply> SingleInstance::forwardCommand(const QString &serverName,
                                                                const cli::CommandRequest &request,
                                                                int connectTimeoutMs, int replyTimeoutMs)
{
    return cli::InstanceClient::forwardCommand(serverName, request, connectTimeoutMs, replyTimeoutMs);
}

} // namespace holdra
