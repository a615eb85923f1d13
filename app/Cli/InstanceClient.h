#pragma once

#include "Cli/CommandReply.h"
#include "Cli/CommandRequest.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace holdra::cli {

// The asking side of the instance socket, for a `holdra` started while Holdra
// runs. Plain POSIX sockets, so that the command-line program needs nothing
// beyond QtCore. A server run by another user is never handed anything: the
// kernel's record of who listens is checked before the first byte is sent.
class InstanceClient
{
public:
    // The socket's path: in Holdra's private runtime directory, named after the
    // data directory, so separate data directories (tests, a second profile)
    // never meet. Empty when this user has no private runtime directory.
    static QString defaultServerName();

    // Hands `urls` (none means "show yourself") to the running instance and
    // waits for it to confirm. False when there is none, or when the socket is
    // served by another user. Blocks for at most `timeoutMs`.
    static bool forward(const QString &serverName, const QList<QUrl> &urls, int timeoutMs = 3000);
    // `holdra --settings` while Holdra runs: the running instance opens its settings window.
    static bool forwardSettingsRequest(const QString &serverName, int timeoutMs = 3000);
    // `holdra toggle`: the running instance opens or closes its panel.
    static bool forwardToggleRequest(const QString &serverName, int timeoutMs = 3000);
    // A writing command carried out by the running instance. Nothing when no
    // instance of this user answers, so the caller may run it itself; once one
    // took the request, its answer, or a failure saying it never came.
    static std::optional<CommandReply> forwardCommand(const QString &serverName, const CommandRequest &request,
                                                      int connectTimeoutMs = 3000, int replyTimeoutMs = 120000);

private:
    static bool send(const QString &serverName, const QByteArray &request, int timeoutMs);
};

} // namespace holdra::cli
