#include "Cli/InstanceClient.h"

#include "Cli/InstanceProtocol.h"
#include "Support/AppPaths.h"
#include "Support/KitLogging.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

namespace holdra::cli {

namespace {

int remainingMs(const QDeadlineTimer &deadline)
{
    return int(std::clamp<qint64>(deadline.remainingTime(), 0, std::numeric_limits<int>::max()));
}

// One connection to the instance socket; closed when it goes.
class Connection
{
public:
    Connection(const QString &path, const QDeadlineTimer &deadline);
    ~Connection()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    bool writeAll(const QByteArray &bytes, const QDeadlineTimer &deadline);
    // Appends what arrives before the deadline; false at the end of the
    // stream, on a failure or when nothing came in time.
    bool readSome(QByteArray &into, const QDeadlineTimer &deadline);

private:
    bool waitFor(short events, const QDeadlineTimer &deadline);
    bool isOwnUser(const QString &path) const;

    int m_fd = -1;
};

Connection::Connection(const QString &path, const QDeadlineTimer &deadline)
{
    const QByteArray native = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(native.size()) >= sizeof address.sun_path)
        return;
    std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
    m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_fd < 0)
        return;
    for (;;) {
        if (::connect(m_fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0)
            break;
        // A full backlog: the instance is busy accepting, so ask again shortly.
        if (errno != EAGAIN || deadline.hasExpired()) {
            ::close(std::exchange(m_fd, -1));
            return;
        }
        ::poll(nullptr, 0, 10);
    }
    if (!isOwnUser(path))
        ::close(std::exchange(m_fd, -1));
}

bool Connection::isOwnUser(const QString &path) const
{
    ucred credentials{};
    socklen_t size = sizeof credentials;
    const bool known = ::getsockopt(m_fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0;
    if (known && credentials.uid == ::geteuid())
        return true;
    qCWarning(lcIpc).nospace() << "refused a connection with uid " << (known ? qint64(credentials.uid) : -1) << " on "
                               << path;
    return false;
}

bool Connection::waitFor(short events, const QDeadlineTimer &deadline)
{
    pollfd entry{m_fd, events, 0};
    for (;;) {
        const int ready = ::poll(&entry, 1, remainingMs(deadline));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

bool Connection::writeAll(const QByteArray &bytes, const QDeadlineTimer &deadline)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t sent = ::send(m_fd, bytes.constData() + written, size_t(bytes.size() - written), MSG_NOSIGNAL);
        if (sent > 0) {
            written += sent;
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && errno != EAGAIN)
            return false;
        if (!waitFor(POLLOUT, deadline))
            return false;
    }
    return true;
}

bool Connection::readSome(QByteArray &into, const QDeadlineTimer &deadline)
{
    char buffer[16384];
    for (;;) {
        const ssize_t received = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (received > 0) {
            into.append(buffer, received);
            return true;
        }
        if (received == 0)
            return false;
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN || !waitFor(POLLIN, deadline))
            return false;
    }
}

} // namespace

QString InstanceClient::defaultServerName()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QByteArray digest = QCryptographicHash::hash(data.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    const QString directory = AppPaths::temporaryDirectory();
    if (directory.isEmpty())
        return {};
    return QDir(directory).filePath(QStringLiteral("instance-") + QString::fromLatin1(digest));
}

bool InstanceClient::forward(const QString &serverName, const QList<QUrl> &urls, int timeoutMs)
{
    QByteArray request = InstanceProtocol::openHeader.toByteArray() + '\n';
    for (const QUrl &url : urls)
        request += url.toEncoded() + '\n';
    request += '\n';
    return send(serverName, request, timeoutMs);
}

bool InstanceClient::forwardSettingsRequest(const QString &serverName, int timeoutMs)
{
    return send(serverName, InstanceProtocol::settingsHeader.toByteArray() + "\n\n", timeoutMs);
}

bool InstanceClient::forwardToggleRequest(const QString &serverName, int timeoutMs)
{
    return send(serverName, InstanceProtocol::toggleHeader.toByteArray() + "\n\n", timeoutMs);
}

std::optional<CommandReply> InstanceClient::forwardCommand(const QString &serverName, const CommandRequest &request,
                                                           int connectTimeoutMs, int replyTimeoutMs)
{
    using namespace InstanceProtocol;
    if (!QDir::isAbsolutePath(serverName))
        return std::nullopt;
    Connection connection(serverName, QDeadlineTimer(connectTimeoutMs));
    if (!connection.isOpen())
        return std::nullopt;
    // From here the running instance may carry the command out: it is never run a second time here.
    CommandReply failed;
    failed.err = "holdra: 正在运行的 Holdra 没有回应；用 'holdra list' 查看它做了什么\n";
    const QDeadlineTimer deadline(replyTimeoutMs);
    if (!connection.writeAll(frame(commandHeader, request.encode()), deadline))
        return failed;
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
                return CommandReply::decode(answer.payload).value_or(failed);
        }
        if (!connection.readSome(buffered, deadline))
            return failed;
    }
}

bool InstanceClient::send(const QString &serverName, const QByteArray &request, int timeoutMs)
{
    if (!QDir::isAbsolutePath(serverName))
        return false;
    const QDeadlineTimer deadline(timeoutMs);
    Connection connection(serverName, deadline);
    if (!connection.isOpen() || !connection.writeAll(request, deadline))
        return false;
    QByteArray reply;
    while (!reply.contains('\n')) {
        if (!connection.readSome(reply, deadline))
            return false;
    }
    return reply.startsWith(QByteArray(InstanceProtocol::acceptedReply.toByteArray() + '\n'));
}

} // namespace holdra::cli
