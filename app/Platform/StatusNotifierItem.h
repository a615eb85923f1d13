#pragma once

#include "Platform/StatusNotifierTypes.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QPoint>

class QTimer;

namespace holdra {

// Holdra's item in a StatusNotifierItem tray (KDE Plasma, GNOME's AppIndicator
// extension, waybar, snixembed …): the org.kde.StatusNotifierItem object that
// the tray host reads and calls, and its registration with the host's watcher.
// The clicks a host forwards come out as plain signals.
class StatusNotifierItem : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconName READ iconName)
    Q_PROPERTY(QString IconThemePath READ iconThemePath)
    Q_PROPERTY(QList<holdra::StatusNotifierImage> IconPixmap READ iconPixmap)
    Q_PROPERTY(holdra::StatusNotifierToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)

public:
    struct Appearance
    {
        QString id;
        QString title;
        QString iconName;
        // A folder holding the icon when it is not installed in the icon theme.
        QString iconThemePath;
        StatusNotifierImageList iconPixmap;
        StatusNotifierToolTip toolTip;
    };

    StatusNotifierItem(const QDBusConnection &bus, Appearance appearance, const QString &menuPath,
                       QObject *parent = nullptr);
    ~StatusNotifierItem() override;

    static QString watcherService() { return QStringLiteral("org.kde.StatusNotifierWatcher"); }
    static QString objectPath() { return QStringLiteral("/StatusNotifierItem"); }

    // Serves the item on the bus under "org.kde.StatusNotifierItem-<pid>-1" (the
    // connection's unique name when that is taken). False when it cannot be served.
    bool publish();
    // The name the item was published under; empty before publish().
    QString serviceName() const { return m_serviceName; }
    // Tells the running watcher about the item; its answer arrives as registered()
    // or, after a few tries, registrationFailed().
    void registerWithWatcher();

    void setStatus(const QString &status);
    void setToolTip(const StatusNotifierToolTip &toolTip);

    QString category() const { return QStringLiteral("ApplicationStatus"); }
    QString id() const { return m_appearance.id; }
    QString title() const { return m_appearance.title; }
    QString status() const { return m_status; }
    int windowId() const { return 0; }
    QString iconName() const { return m_appearance.iconName; }
    QString iconThemePath() const { return m_appearance.iconThemePath; }
    StatusNotifierImageList iconPixmap() const { return m_appearance.iconPixmap; }
    StatusNotifierToolTip toolTip() const { return m_appearance.toolTip; }
    bool itemIsMenu() const { return false; }
    QDBusObjectPath menu() const { return m_menuPath; }

public Q_SLOTS:
    Q_SCRIPTABLE void Activate(int x, int y);
    Q_SCRIPTABLE void SecondaryActivate(int x, int y);
    Q_SCRIPTABLE void ContextMenu(int x, int y);
    Q_SCRIPTABLE void Scroll(int delta, const QString &orientation);

Q_SIGNALS:
    Q_SCRIPTABLE void NewTitle();
    Q_SCRIPTABLE void NewIcon();
    Q_SCRIPTABLE void NewToolTip();
    Q_SCRIPTABLE void NewStatus(const QString &status);

    // The primary click (usually the left button) on the item.
    void activateRequested(const QPoint &position);
    // A host that draws no menus of its own asks for the menu at this point.
    void contextMenuRequested(const QPoint &position);
    void registered();
    void registrationFailed(const QString &message);

private:
    void sendRegistration();

    QDBusConnection m_bus;
    Appearance m_appearance;
    QDBusObjectPath m_menuPath;
    QString m_status = QStringLiteral("Active");
    QString m_serviceName;
    QTimer *m_retryTimer = nullptr;
    int m_attempts = 0;
    bool m_ownsName = false;
};

} // namespace holdra
