#pragma once

#include <QString>

namespace holdra::SupportDirectory {

// Creates what is missing of the data directory, each new level with mode 0700,
// and makes an existing one (when it is the user's own) 0700 as well: it holds
// every stashed text and copy. A symbolic link to it is followed, since that
// is the user's own arrangement. Returns an empty string, or why it failed.
QString makePrivate(const QString &path);

// Gives a regular file written before files were made private mode 0600; a link
// is left alone.
void makeFilePrivate(const QString &path);

} // namespace holdra::SupportDirectory
