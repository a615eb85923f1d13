#include "App/FirstFrame.h"

#include <QGuiApplication>
#include <QPointer>
#include <QQuickWindow>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <memory>

namespace holdra {

namespace {

QList<QQuickWindow *> quickWindows()
{
    QList<QQuickWindow *> windows;
    for (QWindow *window : QGuiApplication::topLevelWindows()) {
        if (auto *quick = qobject_cast<QQuickWindow *>(window))
            windows.append(quick);
    }
    return windows;
}

} // namespace

void FirstFrame::whenShown(QObject *context, std::function<void()> action, std::chrono::milliseconds fallback)
{
    struct Pending
    {
        std::function<void()> action;
        QList<QMetaObject::Connection> connections;
        QPointer<QTimer> fallback;
    };
    auto pending = std::make_shared<Pending>();
    pending->action = std::move(action);
    const auto run = [pending] {
        if (!pending->action)
            return;
        // Every later frame would ask again; nothing is left listening.
        for (const QMetaObject::Connection &connection : std::as_const(pending->connections))
            QObject::disconnect(connection);
        if (pending->fallback) {
            pending->fallback->stop();
            pending->fallback->deleteLater();
        }
        std::exchange(pending->action, nullptr)();
    };
    auto *timer = new QTimer(context);
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, context, run);
    pending->fallback = timer;
    // Swapped on the render thread; queued to the context's.
    for (QQuickWindow *window : quickWindows())
        pending->connections.append(
            QObject::connect(window, &QQuickWindow::frameSwapped, context, run, Qt::QueuedConnection));
    timer->start(pending->connections.isEmpty() ? std::chrono::milliseconds::zero() : fallback);
}

void FirstFrame::reportIfRequested()
{
    if (!qEnvironmentVariableIsSet("HOLDRA_REPORT_FIRST_FRAME"))
        return;
    static std::atomic_flag reported;
    for (QQuickWindow *window : quickWindows()) {
        // Swapped on the render thread; the clock and stderr are safe there.
        QObject::connect(
            window, &QQuickWindow::frameSwapped, window,
            [] {
                if (reported.test_and_set())
                    return;
                const auto now = std::chrono::steady_clock::now().time_since_epoch();
                std::fprintf(stderr, "first-frame %lld\n",
                             static_cast<long long>(std::chrono::nanoseconds(now).count()));
                std::fflush(stderr);
            },
            Qt::DirectConnection);
    }
}

} // namespace holdra
