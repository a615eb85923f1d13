#pragma once

#include <QStringList>

#include <optional>

namespace holdra::cli {

// The terminal face of Holdra: `holdra <command> …` works on the stash without
// a display and exits. Anything else on the command line (no arguments, files
// to open, --settings) belongs to the application, so `runIfCommand` leaves it
// alone and returns nothing.
class CommandLine
{
public:
    static bool isCommand(const QStringList &arguments);
    static std::optional<int> runIfCommand(int argc, char **argv);

    static QString usage();
};

} // namespace holdra::cli
