#include "Storage/WriterLock.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace holdra {

WriterLock::WriterLock(QString lockFilePath)
    : m_path(std::move(lockFilePath))
{
}

WriterLock::~WriterLock()
{
    // Closing the descriptor is what releases the lock; the file stays, so a
    // waiter never locks a file that another process is about to replace.
    if (m_fd >= 0)
        ::close(m_fd);
}

bool WriterLock::acquire(std::chrono::milliseconds patience)
{
    const QString directory = QFileInfo(m_path).path();
    if (m_fd < 0) {
        // O_NOFOLLOW: a link planted in place of the lock file is refused, not followed.
        m_fd =
            ::open(QFile::encodeName(m_path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
        if (m_fd < 0) {
            m_error = errno == EACCES || errno == EPERM || errno == EROFS
                ? QStringLiteral("没有权限锁定数据目录“%1”。").arg(directory)
                : QStringLiteral("无法锁定数据目录“%1”：%2").arg(directory, qt_error_string(errno));
            return false;
        }
    }

    const QDeadlineTimer deadline(patience);
    // Writers hold the lock for one command, so a short poll with a growing
    // pause serves a crowd of them without a busy loop.
    int pauseMs = 1;
    while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK) {
            m_error = QStringLiteral("无法锁定数据目录“%1”：%2").arg(directory, qt_error_string(errno));
            return false;
        }
        if (deadline.hasExpired()) {
            const qint64 pid = holderPid();
            m_error = pid > 0
                ? QStringLiteral("另一个 Holdra 进程（进程号 %1）正在使用数据目录“%2”。").arg(pid).arg(directory)
                : QStringLiteral("另一个 Holdra 进程正在使用数据目录“%1”。").arg(directory);
            return false;
        }
        QThread::msleep(ulong(std::min<qint64>(pauseMs, std::max<qint64>(1, deadline.remainingTime()))));
        pauseMs = std::min(pauseMs * 2, 10);
    }
    m_error.clear();
    recordHolder();
    return true;
}

qint64 WriterLock::holderPid() const
{
    char buffer[32] = {};
    const ssize_t count = ::pread(m_fd, buffer, sizeof buffer - 1, 0);
    return count > 0 ? QByteArray(buffer, int(count)).trimmed().toLongLong() : 0;
}

// Only for the message a waiter shows; a full disk that keeps it from being
// written takes nothing away from the lock itself.
void WriterLock::recordHolder()
{
    const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
    if (::ftruncate(m_fd, 0) == 0)
        (void)!::pwrite(m_fd, pid.constData(), size_t(pid.size()), 0);
}

} // namespace holdra
