#pragma once

#include <QPointer>
#include <QQuickItem>
#include <QString>
#include <QtQml/qqmlregistration.h>

class QMimeData;

namespace holdra {

class NotchController;

// The drop target of one display's window, over the closed capsule and the open
// panel alike, so that a drag that opens the panel is still received once the
// window has grown. A drag entering opens the panel there; while it hovers the
// panel shows the drop outline; a drop hands the data to the controller's
// import path. The shelf copies what it is given, so the action reported to the
// source is always Copy. QML's own DropArea cannot give the dragged data as a
// whole; this one copies it before the drop returns, because a drag's data is
// gone afterwards.
class StashDropArea : public QQuickItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QObject *controller READ controller WRITE setController NOTIFY controllerChanged)
    Q_PROPERTY(QString displayID READ displayID WRITE setDisplayID NOTIFY displayIDChanged)
    Q_PROPERTY(bool containsDrag READ containsDrag NOTIFY containsDragChanged)

public:
    explicit StashDropArea(QQuickItem *parent = nullptr);

    QObject *controller() const;
    void setController(QObject *controller);
    QString displayID() const { return m_displayID; }
    void setDisplayID(const QString &displayID);
    bool containsDrag() const { return m_containsDrag; }

    // Files, links, images, sounds and text.
    static bool carriesStashableContent(const QMimeData &data);

Q_SIGNALS:
    void controllerChanged();
    void displayIDChanged();
    void containsDragChanged();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void setContainsDrag(bool contains);
    // Opens the panel on this display for the drag unless it is open here already.
    void openForDrag();

    QPointer<NotchController> m_controller;
    QString m_displayID;
    bool m_containsDrag = false;
};

} // namespace holdra
