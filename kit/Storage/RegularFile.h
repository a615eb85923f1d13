#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace holdra {
struct FileIdentity;
}

namespace holdra::RegularFile {

// Opens `path` for reading without ever blocking (a FIFO put in place of a file
// would otherwise wait for a writer for good) and only when it is a regular
// file. Returns the descriptor (close-on-exec, blocking again), or -1 with
// *error set: the errno, or EINVAL for anything that is not a regular file.
int openForReading(const QString &path, int *error);

// The whole file, when it is a regular file of at most `maxBytes` that can be
// read; else nothing, with *error (when given) set as above, EFBIG for a file
// that is too large. `identity`, when given, receives the identity of the file
// read when it was settled before the reading began (see FileIdentity).
std::optional<QByteArray> readAll(const QString &path, qint64 maxBytes, int *error = nullptr,
                                  std::optional<FileIdentity> *identity = nullptr);

} // namespace holdra::RegularFile
