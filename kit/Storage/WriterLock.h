#pragma once

#include <QString>

#include <chrono>

namespace holdra {

// The one-writer lock on a support directory: an advisory flock() on a lock file
// that is never removed. The kernel drops the lock with the last descriptor, so
// a crashed or killed holder never leaves it behind and nothing has to guess
// whether a holder is still alive.
class WriterLock
{
public:
    explicit WriterLock(QString lockFilePath);
    ~WriterLock();
    WriterLock(const WriterLock &) = delete;
    WriterLock &operator=(const WriterLock &) = delete;

    // Takes the lock, waiting at most `patience` for the holder to let go. On
    // failure errorMessage() says why (for the user, naming the data directory).
    bool acquire(std::chrono::milliseconds patience);
    const QString &errorMessage() const { return m_error; }

private:
    // The holder's process number as it wrote it into the file, or 0.
    qint64 holderPid() const;
    void recordHolder();

    QString m_path;
    int m_fd = -1;
    QString m_error;
};

} // namespace holdra
