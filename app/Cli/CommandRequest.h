#pragma once

#include <QByteArray>
#include <QList>

#include <optional>

namespace holdra::cli {

// A command as typed in a terminal, handed to the running Holdra to carry out:
// the arguments after "holdra" and the working directory as the bytes they
// were (a file name need not be UTF-8), and standard input when the command
// reads it.
struct CommandRequest
{
    QList<QByteArray> arguments;
    QByteArray workingDirectory;
    std::optional<QByteArray> input;

    QByteArray encode() const;
    // Nothing when `bytes` are not a request of this version.
    static std::optional<CommandRequest> decode(const QByteArray &bytes);
};

} // namespace holdra::cli
