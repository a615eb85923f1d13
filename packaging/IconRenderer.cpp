// Renders the scalable application icon into the fixed sizes of the hicolor
// theme, so panels and launchers that do not scale SVGs still get a sharp icon.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTextStream err(stderr);
    if (args.size() != 4) {
        err << "usage: holdra_icon_renderer SVG SIZE PNG\n";
        return 2;
    }
    QSvgRenderer renderer(args.at(1));
    bool sizeOk = false;
    const int size = args.at(2).toInt(&sizeOk);
    if (!renderer.isValid() || !sizeOk || size <= 0) {
        err << "holdra_icon_renderer: cannot render " << args.at(1) << " at " << args.at(2) << '\n';
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    if (!image.save(args.at(3), "PNG")) {
        err << "holdra_icon_renderer: cannot write " << args.at(3) << '\n';
        return 1;
    }
    return 0;
}
