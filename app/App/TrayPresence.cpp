#include "App/TrayPresence.h"

#include "Desktop/ApplicationId.h"
#include "Platform/DBusMenuExporter.h"
#include "Platform/StatusNotifierItem.h"
#include "Support/AppPaths.h"
#include "Support/PrivateDirectory.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QStandardPaths>
#include <QSystemTrayIcon>

namespace holdra {

namespace {

const QString menuPath = QStringLiteral("/MenuBar");
const QString notifications = QStringLiteral("org.freedesktop.Notifications");
const QString notificationsPath = QStringLiteral("/org/freedesktop/Notifications");

// Tray hosts look the icon up by name in their own process. Installed, it is in
// the hicolor theme; a build run in place puts its bundled copy where the host
// can read it, both as a theme folder and loose (hosts search either way).
QString iconThemePath(const QString &iconName)
{
    const QString file = iconName + QStringLiteral(".svg");
    if (!QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                QStringLiteral("icons/hicolor/symbolic/apps/") + file)
             .isEmpty())
        return {};
    QString apps;
    if (!PrivateDirectory::makeTemporary(QStringLiteral("icons/hicolor/scalable/apps"), &apps).isEmpty())
        return {};
    const QDir root(AppPaths::temporaryDirectory() + QStringLiteral("/icons"));
    for (const QString &target : {QDir(apps).filePath(file), root.filePath(file)}) {
        QFile::remove(target);
        if (!QFile::copy(QStringLiteral(":/") + file, target))
            return {};
    }
    return root.path();
}

} // namespace

TrayPresence::TrayPresence(QMenu *menu, Look look, const QDBusConnection &bus, QObject *parent)
    : QObject(parent)
    , m_menu(menu)
    , m_look(std::move(look))
    , m_bus(bus)
    , m_menuExporter(new DBusMenuExporter(menu, this))
{
    StatusNotifierItem::Appearance appearance{QString::fromLatin1(applicationId),
                                              m_look.title,
                                              m_look.iconName,
                                              iconThemePath(m_look.iconName),
                                              statusNotifierImages(m_look.icon),
                                              {m_look.iconName, {}, m_look.title, m_look.description}};
    m_item = new StatusNotifierItem(m_bus, std::move(appearance), menuPath, this);
    connect(m_item, &StatusNotifierItem::activateRequested, this, &TrayPresence::activated);
    // Hosts that draw no menus of their own ask Holdra to show it.
    connect(m_item, &StatusNotifierItem::contextMenuRequested, this, [this](const QPoint &position) {
        if (m_menu)
            m_menu->popup(position);
    });
    m_watcher = new QDBusServiceWatcher(StatusNotifierItem::watcherService(), m_bus,
                                        QDBusServiceWatcher::WatchForOwnerChange, this);
    // Owner changes, not just registrations: a new watcher may take the name over
    // from the old one directly, and knows nothing of the items of its predecessor.
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &newOwner) {
                if (newOwner.isEmpty())
                    watcherVanished();
                else
                    watcherAppeared();
            });
    m_bus.connect(notifications, notificationsPath, notifications, QStringLiteral("ActionInvoked"), this,
                  SLOT(notificationActionInvoked(uint, QString)));
}

TrayPresence::~TrayPresence() = default;

void TrayPresence::show()
{
    if (m_shown)
        return;
    m_shown = true;
    m_menuExporter->exportOn(m_bus, menuPath);
    m_item->publish();
    const QDBusConnectionInterface *busInterface = m_bus.interface();
    if (busInterface && busInterface->isServiceRegistered(StatusNotifierItem::watcherService()))
        watcherAppeared();
    else
        setEmbeddedIconVisible(true);
}

void TrayPresence::watcherAppeared()
{
    m_watcherPresent = true;
    if (!m_shown)
        return;
    // An item that cannot be served leaves Qt's icon, which then joins this tray
    // itself, as the one icon.
    if (!m_item->publish()) {
        setEmbeddedIconVisible(true);
        return;
    }
    // Never two icons: the tray behind the watcher may also take XEmbed icons.
    setEmbeddedIconVisible(false);
    m_item->registerWithWatcher();
}

void TrayPresence::watcherVanished()
{
    m_watcherPresent = false;
    if (m_shown)
        setEmbeddedIconVisible(true);
}

void TrayPresence::setEmbeddedIconVisible(bool visible)
{
    if (!visible) {
        if (m_embeddedIcon)
            m_embeddedIcon->hide();
        return;
    }
    if (!m_embeddedIcon) {
        // Made while no watcher runs, so Qt settles on XEmbed for good.
        m_embeddedIcon = new QSystemTrayIcon(m_look.icon, this);
        m_embeddedIcon->setToolTip(m_look.title + QStringLiteral(" — ") + m_look.description);
        m_embeddedIcon->setContextMenu(m_menu);
        connect(m_embeddedIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger)
                Q_EMIT activated();
        });
        connect(m_embeddedIcon, &QSystemTrayIcon::messageClicked, this, &TrayPresence::messageClicked);
    }
    m_embeddedIcon->show();
}

void TrayPresence::showMessage(const QString &title, const QString &text)
{
    if (!m_watcherPresent) {
        if (m_embeddedIcon)
            m_embeddedIcon->showMessage(title, text);
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(notifications, notificationsPath, notifications, QStringLiteral("Notify"));
    call << m_look.title << m_notificationId << QString::fromLatin1(applicationId) << title << text
         << QStringList{QStringLiteral("default"), title} << QVariantMap() << qint32(-1);
    auto *pending = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *answer) {
        answer->deleteLater();
        const QDBusPendingReply<uint> reply = *answer;
        if (!reply.isError())
            m_notificationId = reply.value();
    });
}

void TrayPresence::notificationActionInvoked(uint id, const QString &action)
{
    if (id == m_notificationId && action == QLatin1String("default"))
        Q_EMIT messageClicked();
}

} // namespace holdra
