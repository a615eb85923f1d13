// The toolkit's floor for the start-up and idle rows: a bare Qt Quick window
// about the size of the closed capsule, at the top centre of the screen, drawn
// by a few lines of QML. With HOLDRA_REPORT_FIRST_FRAME set it prints, like
// Holdra, "first-frame <steady clock ns>" once its first frame is on screen.
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickWindow>

#include <atomic>
#include <chrono>
#include <cstdio>

int main(int argc, char **argv)
{
    QQuickWindow::setDefaultAlphaBuffer(true);
    QGuiApplication app(argc, argv);
    QQmlApplicationEngine engine;
    engine.loadData(R"(
        import QtQuick
        Window {
            width: 190; height: 34
            x: (Screen.width - width) / 2; y: 0
            flags: Qt.FramelessWindowHint | Qt.WindowStaysOnTopHint
            color: "transparent"
            visible: true
            Rectangle { anchors.fill: parent; radius: 12; color: "black" }
        })");
    if (engine.rootObjects().isEmpty())
        return 1;
    auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().first());
    if (window && qEnvironmentVariableIsSet("HOLDRA_REPORT_FIRST_FRAME")) {
        static std::atomic_flag reported;
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
    return app.exec();
}
