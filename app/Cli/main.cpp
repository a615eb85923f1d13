#include "Cli/CommandLine.h"
#include "Support/ProgramLocations.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

// `holdra`: the terminal commands run here with QtCore alone; starting the
// shelf, handing it files and adding files go to the graphical program, which
// takes this process over with the same arguments.
int main(int argc, char *argv[])
{
    if (!holdra::cli::CommandLine::needsGraphicalProgram(argc, argv)) {
        if (const std::optional<int> status = holdra::cli::CommandLine::runIfCommand(argc, argv))
            return *status;
    }
    const QByteArray gui =
        QFile::encodeName(holdra::ProgramLocations::guiProgram(holdra::ProgramLocations::ownExecutable()));
    // argv[0] stays as typed: the windows' class ("holdra") comes from it.
    ::execv(gui.constData(), argv);
    const int error = errno;
    std::fprintf(stderr, "holdra: 无法启动“%s”：%s\n", gui.constData(), std::strerror(error));
    return 1;
}
