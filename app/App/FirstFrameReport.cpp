#include "App/FirstFrameReport.h"

#include <QGuiApplication>
#include <QQuickWindow>

#include <atomic>
#include <chrono>
#include <cstdio>

namespace holdra {

void FirstFrameReport::installIfRequested()
{
    if (!qEnvironmentVariableIsSet("HOLDRA_REPORT_FIRST_FRAME"))
        return;
    static std::atomic_flag reported;
    for (QWindow *window : QGuiApplication::topLevelWindows()) {
        auto *quick = qobject_cast<QQuickWindow *>(window);
        if (!quick)
            continue;
        // Swapped on the render thread; the clock and stderr are safe there.
        QObject::connect(quick, &QQuickWindow::frameSwapped, quick, [] {
            if (reported.test_and_set())
                return;
            const auto now = std::chrono::steady_clock::now().time_since_epoch();
            std::fprintf(stderr, "first-frame %lld\n", static_cast<long long>(std::chrono::nanoseconds(now).count()));
            std::fflush(stderr);
        }, Qt::DirectConnection);
    }
}

} // namespace holdra
