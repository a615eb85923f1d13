// Imports one file through ImportJob while a timer ticks every few milliseconds on
// the main thread, as the window's frames would, and prints the longest gap
// between two ticks beyond the interval: how long the UI could not draw.
#include "Store/ImportJob.h"
#include "Store/StashStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: ImportStall SUPPORT_DIR PATH\n");
        return 2;
    }
    holdra::StashStore::Opening opening = holdra::StashStore::open(arguments.at(1));
    if (!opening.store) {
        std::fprintf(stderr, "%s\n", qPrintable(opening.errorMessage));
        return 1;
    }
    constexpr int interval = 4;
    holdra::ImportJob job(*opening.store);
    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 longestGap = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(interval);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longestGap = std::max(longestGap, now - lastTick);
        lastTick = now;
    });
    bool added = false;
    QObject::connect(&job, &holdra::ImportJob::finished, [&](int, const holdra::ImportJob::Result &result) {
        added = !result.added.isEmpty();
        // One more tick, so that a stall in the commit itself is counted.
        QTimer::singleShot(0, &app, [&] {
            const qint64 now = clock.nsecsElapsed();
            longestGap = std::max(longestGap, now - lastTick);
            app.quit();
        });
    });
    clock.start();
    ticker.start();
    job.start({QUrl::fromLocalFile(arguments.at(2))});
    app.exec();
    std::printf("%.3f %.3f %s\n", double(longestGap) / 1e6 - interval, double(clock.nsecsElapsed()) / 1e6,
                added ? "added" : "not-added");
    return added ? 0 : 1;
}
