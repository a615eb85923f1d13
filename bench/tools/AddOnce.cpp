// Adds one file or folder to the stash in SUPPORT_DIR as `holdra add` does (copy,
// hash, insert, metadata written) and prints the milliseconds that took, so that
// bench/user_waits.py can set it beside cp, cp -r and openssl on the same input.
#include "Store/StashStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QUrl>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: AddOnce SUPPORT_DIR PATH\n");
        return 2;
    }
    holdra::StashStore::Opening opening = holdra::StashStore::open(arguments.at(1));
    if (!opening.store) {
        std::fprintf(stderr, "%s\n", qPrintable(opening.errorMessage));
        return 1;
    }
    QElapsedTimer timer;
    timer.start();
    const auto result = opening.store->addFiles({QUrl::fromLocalFile(arguments.at(2))});
    const double elapsed = double(timer.nsecsElapsed()) / 1e6;
    if (!result.errors.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(result.errors.first().errorDescription()));
        return 1;
    }
    std::printf("%.3f %s\n", elapsed, result.added.isEmpty() ? "duplicate" : "added");
    return 0;
}
