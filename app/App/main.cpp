#include "Cli/CommandLine.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    // Terminal commands run without a display and never start the application.
    if (const std::optional<int> status = holdra::cli::CommandLine::runIfCommand(argc, argv))
        return *status;

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Holdra"));
    QCoreApplication::setApplicationVersion(QStringLiteral(HOLDRA_VERSION));
    QTextStream(stdout) << "Holdra " << QCoreApplication::applicationVersion() << '\n';
    return 0;
}
