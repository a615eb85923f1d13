#pragma once

#include "Cli/CommandReply.h"
#include "Cli/CommandRequest.h"
#include "Store/StashStore.h"

#include <QStringList>

#include <functional>
#include <optional>

namespace holdra {
class ImportJob;
class StashStore;
}

namespace holdra::cli {

// The terminal face of Holdra: `holdra <command> …` works on the stash without
// a display and exits. Looking (list, show, path, check) reads the files
// directly; a change goes to the running Holdra when there is one, so that its
// panel shows it, and is made here otherwise. Starting the application (no
// arguments, files to open, --settings) is left to it, once its arguments are
// known to make sense.
class CommandLine
{
public:
    // The exit status when the arguments were a command or could not be
    // started with; nothing when the application is to start. Files added
    // here get their image sizes from `pixelSizes`.
    static std::optional<int> runIfCommand(int argc, char **argv, const StashStore::PixelSizeReader &pixelSizes = {});

    // Whether the arguments are for the graphical program: starting the shelf
    // (no arguments, files, --settings, or whatever is not a command) and
    // adding files, whose images are measured with its decoders.
    static bool needsGraphicalProgram(int argc, char **argv);

    // Carries out a changing command on `store` as if typed in a terminal:
    // what it prints and its exit status. The running Holdra answers forwarded
    // commands with it; a command without one runs it on its own store.
    static CommandReply execute(StashStore &store, const CommandRequest &request);
    // The same for the running Holdra, which must keep drawing: the files of an
    // `add` are copied on `job`'s worker, in turn with the drops before them,
    // and `done` gets the reply once they are committed (at once for the rest).
    using Done = std::function<void(const CommandReply &reply)>;
    static void execute(StashStore &store, ImportJob &job, const CommandRequest &request, Done done);

    static QString usage();
};

} // namespace holdra::cli
