#pragma once

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>

#include <memory>
#include <unistd.h>

namespace holdra::test {

// Runs programs as the user `nobody`, to check what another local user can
// reach. Needs root and setpriv; suites skip when unavailable() says why.
class ForeignUser
{
public:
    // Empty when programs can be run as `nobody`, else the reason.
    static QString unavailable()
    {
        if (::geteuid() != 0)
            return QStringLiteral("acting as another user needs root");
        if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
            return QStringLiteral("setpriv is not installed");
        if (run(peerHelper(), {QStringLiteral("probe")}).exitCode != 0)
            return QStringLiteral("nobody cannot run ") + peerHelper();
        return {};
    }

    // The small program that plays the other user's side of a socket.
    static QString peerHelper()
    {
        return QCoreApplication::applicationDirPath() + QStringLiteral("/holdra_foreign_peer");
    }

    // Started as `nobody`; the caller waits on it.
    static std::unique_ptr<QProcess> start(const QString &program, const QStringList &arguments)
    {
        auto process = std::make_unique<QProcess>();
        process->setProcessChannelMode(QProcess::MergedChannels);
        process->start(QStringLiteral("setpriv"),
                       QStringList{QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                                   QStringLiteral("--clear-groups"), program}
                           + arguments);
        return process;
    }

    struct Result
    {
        int exitCode = -1;
        QByteArray output;
    };

    // Runs to the end (at most 20 s); a process that does not end counts as a failure.
    static Result run(const QString &program, const QStringList &arguments)
    {
        const std::unique_ptr<QProcess> process = start(program, arguments);
        if (process->waitForFinished(20000) && process->exitStatus() == QProcess::NormalExit)
            return {process->exitCode(), process->readAll()};
        process->kill();
        process->waitForFinished();
        return {};
    }
};

} // namespace holdra::test
