#include "App/SingleInstance.h"
#include "Cli/CommandLine.h"
#include "Integration/ExternalFileImportContract.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

int main(int argc, char *argv[])
{
    // Terminal commands run without a display and never start the application.
    if (const std::optional<int> status = holdra::cli::CommandLine::runIfCommand(argc, argv))
        return *status;

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Holdra"));
    QCoreApplication::setApplicationVersion(QStringLiteral(HOLDRA_VERSION));

    // A second start hands its files (none: "show yourself") to the running instance.
    const QList<QUrl> openedFiles = holdra::ExternalFileImportContract::fileURLsFromArguments(
        QCoreApplication::arguments().mid(1), QDir::currentPath());
    if (holdra::SingleInstance::forward(holdra::SingleInstance::defaultServerName(), openedFiles))
        return 0;

    QTextStream(stdout) << "Holdra " << QCoreApplication::applicationVersion() << '\n';
    return 0;
}
