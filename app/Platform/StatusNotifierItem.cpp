#include "Platform/StatusNotifierItem.h"

#include "Platform/PlatformLogging.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QLoggingCategory>
#include <QTimer>

namespace holdra {

namespace {

// Watchers may own their name a moment before they serve their object, and
// answer a registration in that moment with an error: try again, a little later
// each time (0.2, 0.4, 0.8, 1.6 s).
constexpr int registrationAttempts = 5;
constexpr int firstRetryMs = 200;

} // namespace

StatusNotifierItem::StatusNotifierItem(const QDBusConnection &bus, Appearance appearance, const QString &menuPath,
                                       QObject *parent)
    : QObject(parent)
    , m_bus(bus)
    , m_appearance(std::move(appearance))
    , m_menuPath(menuPath)
    , m_retryTimer(new QTimer(this))
{
    registerStatusNotifierTypes();
    m_retryTimer->setSingleShot(true);
    connect(m_retryTimer, &QTimer::timeout, this, &StatusNotifierItem::sendRegistration);
}

StatusNotifierItem::~StatusNotifierItem()
{
    if (m_serviceName.isEmpty())
        return;
    m_bus.unregisterObject(objectPath());
    // Hosts drop the item when its name goes; the connection itself may live on.
    if (m_ownsName)
        m_bus.unregisterService(m_serviceName);
}

bool StatusNotifierItem::publish()
{
    if (!m_serviceName.isEmpty())
        return true;
    if (!m_bus.isConnected()) {
        qCInfo(lcTray) << "No session bus: the tray icon is offered to XEmbed trays only";
        return false;
    }
    if (!m_bus.registerObject(objectPath(), this, QDBusConnection::ExportScriptableContents)) {
        qCWarning(lcTray) << "Cannot serve the tray item on the session bus:" << m_bus.lastError().message();
        return false;
    }
    const QString wanted = QStringLiteral("org.kde.StatusNotifierItem-%1-1").arg(QCoreApplication::applicationPid());
    m_ownsName = m_bus.registerService(wanted);
    // Watchers take the unique name as well, and find the item at its usual path.
    m_serviceName = m_ownsName ? wanted : m_bus.baseService();
    return true;
}

void StatusNotifierItem::registerWithWatcher()
{
    if (!publish())
        return;
    m_retryTimer->stop();
    m_attempts = 0;
    sendRegistration();
}

void StatusNotifierItem::sendRegistration()
{
    ++m_attempts;
    QDBusMessage call = QDBusMessage::createMethodCall(watcherService(), QStringLiteral("/StatusNotifierWatcher"),
                                                       watcherService(), QStringLiteral("RegisterStatusNotifierItem"));
    call << m_serviceName;
    auto *pending = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *answer) {
        answer->deleteLater();
        const QDBusPendingReply<> reply = *answer;
        if (!reply.isError()) {
            m_retryTimer->stop();
            Q_EMIT registered();
            return;
        }
        // A watcher that has gone is waited for, not retried.
        const bool gone = reply.error().type() == QDBusError::ServiceUnknown;
        if (!gone && m_attempts < registrationAttempts) {
            m_retryTimer->start(firstRetryMs << (m_attempts - 1));
            return;
        }
        qCWarning(lcTray) << "The tray host did not take the item:" << reply.error().name() << reply.error().message();
        Q_EMIT registrationFailed(reply.error().message());
    });
}

void StatusNotifierItem::setStatus(const QString &status)
{
    if (status == m_status)
        return;
    m_status = status;
    Q_EMIT NewStatus(status);
}

void StatusNotifierItem::setToolTip(const StatusNotifierToolTip &toolTip)
{
    m_appearance.toolTip = toolTip;
    Q_EMIT NewToolTip();
}

void StatusNotifierItem::Activate(int x, int y)
{
    Q_EMIT activateRequested(QPoint(x, y));
}

// The middle button and the wheel have nothing to do in Holdra; hosts still
// call them, and an unknown method would be an error in their log.
void StatusNotifierItem::SecondaryActivate(int, int) {}

void StatusNotifierItem::ContextMenu(int x, int y)
{
    Q_EMIT contextMenuRequested(QPoint(x, y));
}

void StatusNotifierItem::Scroll(int, const QString &) {}

} // namespace holdra
