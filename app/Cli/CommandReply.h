#pragma once

#include <QByteArray>

#include <optional>

namespace holdra::cli {

// What a command printed and how it ended, for the terminal that asked.
struct CommandReply
{
    int status = 1;
    QByteArray out;
    QByteArray err;

    QByteArray encode() const;
    // Nothing when `bytes` are not a reply of this version.
    static std::optional<CommandReply> decode(const QByteArray &bytes);
};

} // namespace holdra::cli
