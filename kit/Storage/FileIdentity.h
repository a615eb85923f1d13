#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

struct stat;

namespace holdra {

// Which file a path names and how it was last changed, as far as the file
// system records it: device, inode, size and the nanosecond modification and
// status-change times. A write moves the modification time, and the only way
// to set that back (utimensat) moves the change time, which nobody can set.
// So a file seen twice with the same identity was not changed in between,
// provided both times already lay in an earlier tick of the clock that stamps
// them when it was first seen: a change within that same tick would keep them.
struct FileIdentity
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;

    friend bool operator==(const FileIdentity &, const FileIdentity &) = default;

    static FileIdentity of(const struct stat &status);
    // Nothing when the path names no regular file.
    static std::optional<FileIdentity> ofPath(const QString &path);
    // The same for a directory, whose times move whenever an entry comes or goes.
    static std::optional<FileIdentity> ofDirectory(const QString &path);
    static std::optional<FileIdentity> ofDescriptor(int fd);

    // Whether the file's own clock has moved past its modification time (and
    // its change time too, unless only the contents matter): any later change
    // then shows in the identity.
    bool settled(bool contentOnly = false) const;
};

} // namespace holdra
