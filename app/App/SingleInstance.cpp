#include "App/SingleInstance.h"

#include "Integration/ExternalFileImportContract.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace holdra {

namespace {

// A request is a header line, one URL per line and an empty line; the answer is one line.
constexpr QByteArrayView requestHeader = "holdra-open 1";
constexpr QByteArrayView settingsHeader = "holdra-settings 1";
constexpr QByteArrayView acceptedReply = "ok";
// Forwarded lists are file names, not bulk data.
constexpr qint64 maximumRequestSize = 16 * 1024 * 1024;

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
    QString user = qEnvironmentVariable("USER");
    user.remove(u'/');
    return QStringLiteral("holdra-%1-%2").arg(user, QString::fromLatin1(digest));
}

bool SingleInstance::listen()
{
    if (isListening())
        return true;
    {
        QLocalSocket probe;
        probe.connectToServer(m_serverName);
        if (probe.waitForConnected(500))
            return false;
    }
    // Nobody answered: whatever socket file is there belongs to a dead instance.
    QLocalServer::removeServer(m_serverName);
    auto *server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(m_serverName)) {
        delete server;
        return false;
    }
    m_server = server;
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::accept);
    return true;
}

bool SingleInstance::isListening() const
{
    return m_server && m_server->isListening();
}

void SingleInstance::accept()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
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
    if (!buffered.endsWith("\n\n"))
        return;
    socket->readAll();
    QList<QByteArray> lines = buffered.chopped(2).split('\n');
    const QByteArray header = lines.isEmpty() ? QByteArray() : lines.takeFirst();
    if (header == settingsHeader && lines.isEmpty()) {
        socket->write(acceptedReply.toByteArray() + '\n');
        socket->flush();
        socket->disconnectFromServer();
        Q_EMIT settingsRequested();
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

bool SingleInstance::send(const QString &serverName, const QByteArray &request, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(timeoutMs))
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
