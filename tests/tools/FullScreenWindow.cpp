// Another program's full-screen window for the display suites: plain red, on
// the monitor that holds the point given in the X server's pixels
// ("full-screen-window 2000 10"). Runs until it is killed.
#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>
#include <QScreen>

#include <cstdio>
#include <cstdlib>

namespace {

class RedWindow : public QRasterWindow
{
protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(QRect(QPoint(), size()), Qt::red); }
};

} // namespace

int main(int argc, char **argv)
{
    // Native pixels: the point is the server's, whatever the tests scale.
    qunsetenv("QT_SCALE_FACTOR");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fputs("usage: full-screen-window X Y\n", stderr);
        return 2;
    }
    QScreen *screen = QGuiApplication::screenAt(QPoint(std::atoi(argv[1]), std::atoi(argv[2])));
    if (!screen)
        return 1;
    RedWindow window;
    window.setScreen(screen);
    window.setGeometry(screen->geometry());
    window.showFullScreen();
    return app.exec();
}
