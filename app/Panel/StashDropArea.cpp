#include "Panel/StashDropArea.h"

#include "Panel/NotchController.h"

#include <QMimeData>

namespace holdra {

StashDropArea::StashDropArea(QQuickItem *parent)
    : QQuickItem(parent)
{
    setFlag(ItemAcceptsDrops, true);
}

QObject *StashDropArea::controller() const
{
    return m_controller.data();
}

void StashDropArea::setController(QObject *controller)
{
    auto *typed = qobject_cast<NotchController *>(controller);
    if (m_controller == typed)
        return;
    m_controller = typed;
    Q_EMIT controllerChanged();
}

void StashDropArea::setDisplayID(const QString &displayID)
{
    if (m_displayID == displayID)
        return;
    m_displayID = displayID;
    Q_EMIT displayIDChanged();
}

void StashDropArea::setContainsDrag(bool contains)
{
    if (m_containsDrag == contains)
        return;
    m_containsDrag = contains;
    Q_EMIT containsDragChanged();
}

bool StashDropArea::carriesStashableContent(const QMimeData &data)
{
    if (data.hasUrls() || data.hasText() || data.hasImage())
        return true;
    const QStringList formats = data.formats();
    for (const QString &format : formats) {
        if (format.startsWith(QLatin1String("image/")) || format.startsWith(QLatin1String("audio/"))
            || format == QLatin1String("text/x-moz-url"))
            return true;
    }
    return false;
}

void StashDropArea::openForDrag()
{
    if (m_controller && !m_controller->isOpenOn(m_displayID))
        m_controller->openForDrag(m_displayID);
}

void StashDropArea::dragEnterEvent(QDragEnterEvent *event)
{
    if (!event->mimeData() || !carriesStashableContent(*event->mimeData())) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    setContainsDrag(true);
    openForDrag();
    if (m_controller)
        m_controller->setDropTargeted(true);
}

void StashDropArea::dragMoveEvent(QDragMoveEvent *event)
{
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void StashDropArea::dragLeaveEvent(QDragLeaveEvent *event)
{
    Q_UNUSED(event)
    setContainsDrag(false);
    if (m_controller)
        m_controller->setDropTargeted(false);
}

void StashDropArea::dropEvent(QDropEvent *event)
{
    setContainsDrag(false);
    // Accepted at once; the import runs afterwards and reports through toasts.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (!m_controller)
        return;
    m_controller->setDropTargeted(false);
    // A drop that arrives without an enter (a fast drag) opens the panel too.
    openForDrag();
    if (event->mimeData())
        m_controller->actions()->drop(*event->mimeData());
}

} // namespace holdra
