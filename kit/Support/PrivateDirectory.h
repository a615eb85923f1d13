#pragma once

#include <QString>

namespace holdra {

// Directories that only the current user may enter (mode 0700).
namespace PrivateDirectory {

// Makes `root` (and its missing parents) and then each level of `relative` below it,
// every one of them with mode 0700. An existing level is accepted only when it is a
// real directory (not a symbolic link) owned by the current user; its mode is then
// tightened to 0700. Returns an empty string on success, else the reason for the log.
QString make(const QString &root, const QString &relative = QString());

// The same for Holdra's own temporary directory (AppPaths::temporaryDirectory()) and
// `relative` below it; on success `*path` is the full path of the innermost level.
QString makeTemporary(const QString &relative, QString *path);

// A file in Holdra's temporary directory (made if missing) for what is kept
// about the stash in `supportDirectory`: `prefix` and a digest of its path.
// Empty when there is no such directory to be had.
QString cacheFile(const QString &prefix, const QString &supportDirectory);

} // namespace PrivateDirectory
} // namespace holdra
