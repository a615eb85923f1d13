#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

namespace holdra {

// A failure of the stash storage. `errorDescription()` is the user-facing message
// that callers show unchanged.
class FileStorageError : public std::exception
{
public:
    enum class Kind {
        // The source could not be read; the payload is its file name.
        sourceUnreadable,
        // Copying or writing failed; the payload is the system's description.
        copyFailed,
        // The disk (or quota) is full.
        outOfSpace,
        // Any other failure of the file system; the payload is the system's message,
        // shown as it is.
        systemError,
        // A stored path that leads outside the storage root; the payload is the path.
        unsafePath,
        // A metadata file that cannot be decoded; the payload says what is wrong.
        corruptMetadata,
        // The user stopped the import; nothing of it was kept.
        cancelled,
    };

    static FileStorageError sourceUnreadable(const QString &fileName);
    static FileStorageError copyFailed(const QString &description);
    static FileStorageError outOfSpace();
    static FileStorageError systemError(const QString &message);
    static FileStorageError unsafePath(const QString &path);
    static FileStorageError corruptMetadata(const QString &reason);
    static FileStorageError cancelled();
    // copyFailed, or outOfSpace when `errnoValue` says the disk or the quota is full.
    static FileStorageError fromCopyErrno(int errnoValue);

    Kind kind() const { return m_kind; }
    const QString &payload() const { return m_payload; }
    QString errorDescription() const;
    const char *what() const noexcept override { return m_what.constData(); }

    friend bool operator==(const FileStorageError &a, const FileStorageError &b)
    {
        return a.m_kind == b.m_kind && a.m_payload == b.m_payload;
    }

private:
    FileStorageError(Kind kind, QString payload);

    Kind m_kind;
    QString m_payload;
    QByteArray m_what;
};

} // namespace holdra
