// Another program at either end of a drag. Given formats, a press in its window
// drags them, offering copy and move and proposing move; at the drag's end it
// writes the action chosen ("CopyAction"…) to RESULT and hides, but runs on for
// the target's late requests. Given none, it records each drop in RESULT as JSON:
// the possible actions and every format's bytes in base64. RESULT.started,
// RESULT.hover and RESULT.pressed mark a drag begun, a drag entering and a click.
//
// Usage: holdra_drag_peer RESULT X Y [FORMAT VALUE]…

#include <QDrag>
#include <QDropEvent>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaEnum>
#include <QMimeData>
#include <QPainter>
#include <QRasterWindow>
#include <QSaveFile>
#include <QTimer>

#include <cstdio>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

QByteArray actionNames(Qt::DropActions actions)
{
    return QMetaEnum::fromType<Qt::DropAction>().valueToKeys(int(actions));
}

class PeerWindow : public QRasterWindow
{
public:
    PeerWindow(QString result, std::unique_ptr<QMimeData> offer)
        : m_result(std::move(result))
        , m_offer(std::move(offer))
        , m_source(m_offer != nullptr)
    {
        setTitle(m_source ? u"holdra-drag-source"_s : u"holdra-drop-target"_s);
        setFlags(Qt::Window | Qt::FramelessWindowHint);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(QRect(QPoint(), size()), QColor::fromRgb(m_source ? 0x2e7d32u : 0x455a64u));
        painter.setPen(Qt::white);
        painter.drawText(QRect(QPoint(), size()), Qt::AlignCenter, title());
    }

    void mousePressEvent(QMouseEvent *) override
    {
        if (!m_source)
            return write(u".pressed"_s, {});
        if (!m_offer)
            return;
        // Started once the press has been delivered, as a widget would on its first move.
        QTimer::singleShot(0, this, [this] {
            auto *drag = new QDrag(this);
            drag->setMimeData(m_offer.release());
            write(u".started"_s, {});
            write({}, actionNames(drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction)) + '\n');
            hide();
        });
    }

    bool event(QEvent *event) override
    {
        if (m_source)
            return QRasterWindow::event(event);
        switch (event->type()) {
        case QEvent::DragEnter:
            write(u".hover"_s, {});
            Q_FALLTHROUGH();
        case QEvent::DragMove:
            static_cast<QDropEvent *>(event)->acceptProposedAction();
            return true;
        case QEvent::Drop:
            record(*static_cast<QDropEvent *>(event));
            return true;
        default:
            return QRasterWindow::event(event);
        }
    }

private:
    void write(const QString &suffix, const QByteArray &bytes) const
    {
        QSaveFile file(m_result + suffix);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(bytes);
            file.commit();
        }
    }

    void record(QDropEvent &event) const
    {
        event.acceptProposedAction();
        QJsonObject formats;
        const QMimeData *data = event.mimeData();
        for (const QString &format : data->formats())
            formats.insert(format, QString::fromLatin1(data->data(format).toBase64()));
        const QJsonObject report{{u"possible"_s, QString::fromLatin1(actionNames(event.possibleActions()))},
                                 {u"formats"_s, formats}};
        write({}, QJsonDocument(report).toJson(QJsonDocument::Compact));
    }

    QString m_result;
    std::unique_ptr<QMimeData> m_offer;
    bool m_source;
};

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() < 4 || arguments.size() % 2 != 0) {
        std::fputs("usage: holdra_drag_peer RESULT X Y [FORMAT VALUE]...\n", stderr);
        return 2;
    }
    std::unique_ptr<QMimeData> offer;
    for (qsizetype i = 4; i + 1 < arguments.size(); i += 2) {
        if (!offer)
            offer = std::make_unique<QMimeData>();
        offer->setData(arguments.at(i), arguments.at(i + 1).toUtf8());
    }
    PeerWindow window(arguments.at(1), std::move(offer));
    window.setGeometry(arguments.at(2).toInt(), arguments.at(3).toInt(), 240, 200);
    window.show();
    return app.exec();
}
