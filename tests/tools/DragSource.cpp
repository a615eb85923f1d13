// A separate program that drags data onto whatever lies under the pointer, the
// way a file manager, a browser or an editor would. It shows a small window;
// pressing the mouse in it starts one drag offering copy and move, proposing
// move, with the given formats. When the drag ends it writes the action the
// drop target chose ("copy", "move", "link" or "ignore") to RESULT and hides;
// it keeps running, because the target asks for the data after the drop, until
// it is ended. RESULT.started appears when the drag has begun.
//
// Usage: holdra_drag_source RESULT X Y FORMAT VALUE [FORMAT VALUE]…
// A VALUE that starts with "@" names a file whose bytes are offered.

#include <QDrag>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QRasterWindow>
#include <QSaveFile>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

QByteArray actionName(Qt::DropAction action)
{
    switch (action) {
    case Qt::CopyAction:
        return "copy";
    case Qt::MoveAction:
        return "move";
    case Qt::LinkAction:
        return "link";
    default:
        return "ignore";
    }
}

class SourceWindow : public QRasterWindow
{
public:
    SourceWindow(QString result, std::unique_ptr<QMimeData> data)
        : m_result(std::move(result))
        , m_data(std::move(data))
    {
        setTitle(QStringLiteral("holdra-drag-source"));
        setFlags(Qt::Window | Qt::FramelessWindowHint);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(QRect(QPoint(), size()), QColor(0x2e, 0x7d, 0x32));
        painter.setPen(Qt::white);
        painter.drawText(QRect(QPoint(), size()), Qt::AlignCenter, QStringLiteral("drag me"));
    }

    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() != Qt::LeftButton || !m_data)
            return;
        // Started once the press has been delivered, as a widget would on its first move.
        QTimer::singleShot(0, this, [this] {
            auto *drag = new QDrag(this);
            drag->setMimeData(m_data.release());
            QFile(m_result + QStringLiteral(".started")).open(QIODevice::WriteOnly);
            const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
            QSaveFile file(m_result);
            if (file.open(QIODevice::WriteOnly)) {
                file.write(actionName(action) + '\n');
                file.commit();
            }
            hide();
        });
    }

private:
    QString m_result;
    std::unique_ptr<QMimeData> m_data;
};

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() < 6 || arguments.size() % 2 != 0) {
        std::fputs("usage: holdra_drag_source RESULT X Y FORMAT VALUE [FORMAT VALUE]...\n", stderr);
        return 2;
    }
    auto data = std::make_unique<QMimeData>();
    for (qsizetype i = 4; i + 1 < arguments.size(); i += 2) {
        const QString &value = arguments.at(i + 1);
        QByteArray bytes = value.toUtf8();
        if (value.startsWith(u'@')) {
            QFile file(value.mid(1));
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(value.mid(1)));
                return 2;
            }
            bytes = file.readAll();
        }
        data->setData(arguments.at(i), bytes);
    }
    SourceWindow window(arguments.at(1), std::move(data));
    window.setGeometry(arguments.at(2).toInt(), arguments.at(3).toInt(), 160, 120);
    window.show();
    return app.exec();
}
