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

} // namespace PrivateDirectory
} // namespace holdra
