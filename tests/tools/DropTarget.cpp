// A separate program that receives drops and records what arrived, so that a
// test can check what a drag out of Holdra really carries. After each drop it
// replaces RESULT with a JSON object: the proposed and the possible actions, and
// every offered format with its bytes in base64. It also leaves RESULT.hover when
// a drag enters it and RESULT.pressed when it is clicked, so that a test can
// wait for those moments instead of sleeping.
//
// Usage: holdra_drop_target RESULT X Y

#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMimeData>
#include <QPainter>
#include <QRasterWindow>
#include <QSaveFile>

#include <cstdio>

namespace {

QJsonArray actionNames(Qt::DropActions actions)
{
    QJsonArray names;
    if (actions & Qt::CopyAction)
        names.append(QStringLiteral("copy"));
    if (actions & Qt::MoveAction)
        names.append(QStringLiteral("move"));
    if (actions & Qt::LinkAction)
        names.append(QStringLiteral("link"));
    return names;
}

class TargetWindow : public QRasterWindow
{
public:
    explicit TargetWindow(QString result)
        : m_result(std::move(result))
    {
        setTitle(QStringLiteral("holdra-drop-target"));
        setFlags(Qt::Window | Qt::FramelessWindowHint);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(QRect(QPoint(), size()), m_hovered ? QColor(0x15, 0x65, 0xc0) : QColor(0x45, 0x5a, 0x64));
        painter.setPen(Qt::white);
        painter.drawText(QRect(QPoint(), size()), Qt::AlignCenter, QStringLiteral("drop here"));
    }

    bool event(QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::DragEnter:
            mark(QStringLiteral(".hover"));
            Q_FALLTHROUGH();
        case QEvent::DragMove:
            static_cast<QDropEvent *>(event)->acceptProposedAction();
            setHovered(true);
            return true;
        case QEvent::MouseButtonPress:
            mark(QStringLiteral(".pressed"));
            return true;
        case QEvent::DragLeave:
            setHovered(false);
            return true;
        case QEvent::Drop:
            record(*static_cast<QDropEvent *>(event));
            setHovered(false);
            return true;
        default:
            return QRasterWindow::event(event);
        }
    }

private:
    void mark(const QString &suffix)
    {
        QFile file(m_result + suffix);
        file.open(QIODevice::WriteOnly);
    }

    void setHovered(bool hovered)
    {
        if (m_hovered != hovered) {
            m_hovered = hovered;
            update();
        }
    }

    void record(QDropEvent &event)
    {
        event.acceptProposedAction();
        QJsonObject formats;
        if (const QMimeData *data = event.mimeData()) {
            const QStringList offered = data->formats();
            for (const QString &format : offered)
                formats.insert(format, QString::fromLatin1(data->data(format).toBase64()));
        }
        const QJsonObject report{{QStringLiteral("proposed"), actionNames(event.proposedAction())},
                                 {QStringLiteral("possible"), actionNames(event.possibleActions())},
                                 {QStringLiteral("formats"), formats}};
        QSaveFile file(m_result);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(QJsonDocument(report).toJson(QJsonDocument::Compact));
            file.commit();
        }
    }

    QString m_result;
    bool m_hovered = false;
};

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() != 4) {
        std::fputs("usage: holdra_drop_target RESULT X Y\n", stderr);
        return 2;
    }
    TargetWindow window(arguments.at(1));
    window.setGeometry(arguments.at(2).toInt(), arguments.at(3).toInt(), 240, 200);
    window.show();
    return app.exec();
}
