#pragma once

#include <QPointer>
#include <QQuickItem>
#include <QString>
#include <QtQml/qqmlregistration.h>

class QMimeData;

namespace holdra {

class NotchController;

// A drop target that hands what is dropped to the controller's import path.
// QML's own DropArea cannot give the dragged data as a whole; this one copies it
// before the drop returns, because a drag's data is gone afterwards.
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
    void entered();
    void exited();
    // Before the data goes to the controller.
    void dropped();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void setContainsDrag(bool contains);

    QPointer<NotchController> m_controller;
    QString m_displayID;
    bool m_containsDrag = false;
};

} // namespace holdra
