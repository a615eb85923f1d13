#include "App/SingleInstance.h"

#include "App/AppLogging.h"
#include "Integration/ExternalFileImportContract.h"
#include "Support/AppPaths.h"
#include "Support/PrivateDirectory.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <optional>
#include <sys/socket.h>
#include <unistd.h>

namespace holdra {

namespace {

// A request is a header line, one URL per line and an empty line; the answer is one line.
constexpr QByteArrayView requestHeader = "holdra-open 1";
constexpr QByteArrayView settingsHeader = "holdra-settings 1";
constexpr QByteArrayView toggleHeader = "holdra-toggle 1";
constexpr QByteArrayView commandHeader = "holdra-command 1";
constexpr QByteArrayView replyHeader = "holdra-reply 1";
constexpr QByteArrayView acceptedReply = "ok";
// Forwarded lists are file names and texts, not bulk data.
constexpr qint64 maximumRequestSize = 64 * 1024 * 1024;
// The length line of a framed message: a decimal number.
constexpr qsizetype maximumLengthLine = 20;

// "HEADER\nLENGTH\nPAYLOAD": binary payloads need their length, not an end mark.
QByteArray frame(QByteArrayView header, const QByteArray &payload)
{
    return header.toByteArray() + '\n' + QByteArray::number(payload.size()) + '\n' + payload;
}

struct Frame
{
    enum State { Incomplete, Complete, Malformed } state = Incomplete;
    QByteArray payload;
};

// The payload of the framed message at the start of `buffered`, which begins with `header` and a newline.
Frame unframe(const QByteArray &buffered, QByteArrayView header)
{
    const qsizetype lengthStart = header.size() + 1;
    const qsizetype lengthEnd = buffered.indexOf('\n', lengthStart);
    if (lengthEnd < 0)
        return {buffered.size() - lengthStart > maximumLengthLine ? Frame::Malformed : Frame::Incomplete, {}};
    bool ok = false;
    const qint64 length = buffered.mid(lengthStart, lengthEnd - lengthStart).toLongLong(&ok);
    if (!ok || length < 0 || length > maximumRequestSize)
        return {Frame::Malformed, {}};
    if (buffered.size() - lengthEnd - 1 < length)
        return {Frame::Incomplete, {}};
    return {Frame::Complete, buffered.mid(lengthEnd + 1, length)};
}

// The user at the other end, as the kernel recorded it when the connection was made.
std::optional<uid_t> peerUid(const QLocalSocket &socket)
{
    struct ucred credentials {};
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
    qCWarning(lcIpc).nospace() << "refused a connection with uid " << (uid ? qint64(*uid) : -1) << " on "
                               << serverName;
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
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QByteArray digest = QCryptographicHash::hash(data.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    const QString directory = AppPaths::temporaryDirectory();
    if (directory.isEmpty())
        return {};
    return QDir(directory).filePath(QStringLiteral("instance-") + QString::fromLatin1(digest));
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
    if (buffered.startsWith(commandHeader.toByteArray() + '\n')) {
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
    if (header != requestHeader) {
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
    cli::CommandReply reply;
    const std::optional<cli::CommandRequest> request = cli::CommandRequest::decode(payload);
    if (request && m_commandHandler)
        reply = m_commandHandler(*request);
    else
        reply.err = "holdra: 正在运行的 Holdra 无法接受这个命令\n";
    socket->write(frame(replyHeader, reply.encode()));
    socket->flush();
    socket->disconnectFromServer();
}

bool SingleInstance::forward(const QString &serverName, const QList<QUrl> &urls, int timeoutMs)
{
    QByteArray request = requestHeader.toByteArray() + '\n';
    for (const QUrl &url : urls)
        request += url.toEncoded() + '\n';
    request += '\n';
    return send(serverName, request, timeoutMs);
}

bool SingleInstance::forwardSettingsRequest(const QString &serverName, int timeoutMs)
{
    return send(serverName, settingsHeader.toByteArray() + "\n\n", timeoutMs);
}

bool SingleInstance::forwardToggleRequest(const QString &serverName, int timeoutMs)
{
    return send(serverName, toggleHeader.toByteArray() + "\n\n", timeoutMs);
}

std::optional<cli::CommandReply> SingleInstance::forwardCommand(const QString &serverName,
                                                                const cli::CommandRequest &request,
                                                                int connectTimeoutMs, int replyTimeoutMs)
{
    if (!QDir::isAbsolutePath(serverName))
        return std::nullopt;
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(connectTimeoutMs) || !isOwnUser(socket, serverName))
        return std::nullopt;
    // From here the running instance may carry the command out: it is never run a second time here.
    cli::CommandReply failed;
    failed.err = "holdra: 正在运行的 Holdra 没有回应；用 'holdra list' 查看它做了什么\n";
    const QDeadlineTimer deadline(replyTimeoutMs);
    socket.write(frame(commandHeader, request.encode()));
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(int(qMax<qint64>(deadline.remainingTime(), 0))))
            return failed;
    }
    const QByteArray expected = replyHeader.toByteArray() + '\n';
    QByteArray buffered;
    for (;;) {
        if (buffered.size() >= expected.size() && !buffered.startsWith(expected))
            return failed;
        if (buffered.startsWith(expected)) {
            const Frame answer = unframe(buffered, replyHeader);
            if (answer.state == Frame::Malformed)
                return failed;
            if (answer.state == Frame::Complete)
                return cli::CommandReply::decode(answer.payload).value_or(failed);
        }
        // The answer may come with the end of the connection.
        const bool more = socket.waitForReadyRead(int(qMax<qint64>(deadline.remainingTime(), 0)));
        const QByteArray received = socket.readAll();
        if (!more && received.isEmpty())
            return failed;
        buffered += received;
    }
}

bool SingleInstance::send(const QString &serverName, const QByteArray &request, int timeoutMs)
{
    if (!QDir::isAbsolutePath(serverName))
        return false;
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    // Another user's server would learn the file names, and this start would end for nothing.
    if (!isOwnUser(socket, serverName))
        return false;
    socket.write(request);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    QByteArray reply;
    while (!reply.contains('\n')) {
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
        reply += socket.readAll();
    }
    return reply.startsWith(acceptedReply.toByteArray() + '\n');
}

} // namespace holdra
