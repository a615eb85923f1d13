#pragma once

#include <QByteArray>

namespace holdra::TreeRemover {

// Deletes the entry `name` of the directory open at `parentFd`, with everything
// below it when it is a directory. Every step is relative to a directory
// descriptor (openat/unlinkat), so the depth of the tree is not limited by the
// length of a path, and no symbolic link is ever followed. A directory is
// descended with one descriptor open at a time. Returns 0 (also when nothing
// is there) or the errno of the first failure.
int remove(int parentFd, const QByteArray &name);

} // namespace holdra::TreeRemover
