#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace holdra {
struct FileIdentity;
}

namespace holdra::AtomicFile {

// Temporary files are named this prefix and six random characters, in the
// directory of the file they will replace.
inline constexpr auto temporaryPrefix = ".holdra-";

// Writes `bytes` to a private (0600) temporary file beside `path`, flushes it to
// the disk and renames it over `path`, so that a crash or a full disk leaves
// either the old file or the new one, never a mix. The temporary name is short,
// so a target name of the longest length the file system allows still works.
// Returns 0, or the errno of the step that failed (the temporary file is gone then).
// A cache that can be rebuilt skips the flushes: after a crash it may be old or
// damaged, never half of two versions while the system runs.
// `written`, when given, receives the identity of the new file when its
// contents were settled before it took the name (see FileIdentity), so that
// any later write shows; else it is left empty.
enum class Durability { synced, cached };
int replace(const QString &path, const QByteArray &bytes, Durability durability = Durability::synced,
            std::optional<FileIdentity> *written = nullptr);

// Deletes temporary files that a killed writer left in `directory`.
void removeLeftovers(const QString &directory);

} // namespace holdra::AtomicFile
