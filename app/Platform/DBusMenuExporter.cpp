#include "Platform/DBusMenuExporter.h"

#include <QAction>
#include <QActionEvent>
#include <QGuiApplication>
#include <QMenu>

namespace holdra {

namespace {

// dbusmenu marks the mnemonic with "_" where Qt uses "&".
QString dbusMenuLabel(const QString &text)
{
    QString label;
    label.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'_')
            label += QStringLiteral("__");
        else if (c == u'&' && i + 1 < text.size())
            label += text.at(++i) == u'&' ? QStringLiteral("&") : QString(u'_') + text.at(i);
        else
            label += c;
    }
    return label;
}

// [["Control", "Q"]]: modifier and key names of the first chord.
QList<QStringList> dbusMenuShortcut(const QKeySequence &sequence)
{
    if (sequence.isEmpty())
        return {};
    QStringList keys = QKeySequence(sequence[0]).toString(QKeySequence::PortableText).split(u'+');
    // "Ctrl++" splits into empty parts; the last of them is the plus key.
    if (keys.size() > 1 && keys.last().isEmpty()) {
        keys.removeAll(QString());
        keys.append(QStringLiteral("+"));
    }
    for (QString &key : keys) {
        if (key == QLatin1String("Ctrl"))
            key = QStringLiteral("Control");
        else if (key == QLatin1String("Meta"))
            key = QStringLiteral("Super");
    }
    return {keys};
}

} // namespace

DBusMenuExporter::DBusMenuExporter(QMenu *menu, QObject *parent)
    : QObject(parent)
    , m_menu(menu)
{
    registerDBusMenuTypes();
    if (!m_menu)
        return;
    for (QAction *action : m_menu->actions())
        idOf(action);
    m_menu->installEventFilter(this);
}

bool DBusMenuExporter::exportOn(const QDBusConnection &bus, const QString &path)
{
    QDBusConnection connection = bus;
    return connection.registerObject(path, this, QDBusConnection::ExportScriptableContents);
}

QString DBusMenuExporter::textDirection() const
{
    return QGuiApplication::layoutDirection() == Qt::RightToLeft ? QStringLiteral("rtl") : QStringLiteral("ltr");
}

uint DBusMenuExporter::GetLayout(int parentId, int recursionDepth, const QStringList &propertyNames,
                                 DBusMenuLayoutItem &layout)
{
    if (!isKnown(parentId)) {
        replyUnknownId(parentId);
        return 0;
    }
    layout = DBusMenuLayoutItem{parentId, properties(parentId, propertyNames), {}};
    if (parentId == 0 && recursionDepth != 0 && m_menu) {
        for (QAction *action : m_menu->actions()) {
            const int id = idOf(action);
            layout.children.append(DBusMenuLayoutItem{id, properties(id, propertyNames), {}});
        }
    }
    return m_revision;
}

DBusMenuItemList DBusMenuExporter::GetGroupProperties(const QList<int> &ids, const QStringList &propertyNames)
{
    DBusMenuItemList items;
    for (const int id : ids) {
        if (isKnown(id))
            items.append(DBusMenuItem{id, properties(id, propertyNames)});
    }
    return items;
}

QDBusVariant DBusMenuExporter::GetProperty(int id, const QString &name)
{
    const QVariantMap all = properties(id, {name});
    if (!isKnown(id) || !all.contains(name)) {
        replyUnknownId(id);
        return QDBusVariant(QVariant(QString()));
    }
    return QDBusVariant(all.value(name));
}

void DBusMenuExporter::Event(int id, const QString &eventId, const QDBusVariant &data, uint timestamp)
{
    Q_UNUSED(data);
    Q_UNUSED(timestamp);
    if (!handleEvent(id, eventId))
        replyUnknownId(id);
}

QList<int> DBusMenuExporter::EventGroup(const DBusMenuEventList &events)
{
    QList<int> idErrors;
    for (const DBusMenuEvent &event : events) {
        if (!handleEvent(event.id, event.eventId))
            idErrors.append(event.id);
    }
    return idErrors;
}

bool DBusMenuExporter::AboutToShow(int id)
{
    if (!isKnown(id)) {
        replyUnknownId(id);
        return false;
    }
    if (id != 0 || !m_menu)
        return false;
    // The menu fills itself in when it is about to open, wherever it is shown.
    Q_EMIT m_menu->aboutToShow();
    return publishChanges();
}

QList<int> DBusMenuExporter::AboutToShowGroup(const QList<int> &ids, QList<int> &idErrors)
{
    QList<int> updatesNeeded;
    for (const int id : ids) {
        if (!isKnown(id))
            idErrors.append(id);
        else if (id == 0 && m_menu) {
            Q_EMIT m_menu->aboutToShow();
            if (publishChanges())
                updatesNeeded.append(id);
        }
    }
    return updatesNeeded;
}

bool DBusMenuExporter::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched != m_menu
        || (type != QEvent::ActionAdded && type != QEvent::ActionRemoved && type != QEvent::ActionChanged))
        return false;
    QAction *action = static_cast<QActionEvent *>(event)->action();
    if (type == QEvent::ActionChanged) {
        if (const int id = m_ids.value(action); id != 0 && !m_changedIds.contains(id))
            m_changedIds.append(id);
    } else {
        if (type == QEvent::ActionAdded)
            idOf(action);
        else
            m_ids.remove(action);
        m_layoutChanged = true;
    }
    schedulePublish();
    return false;
}

int DBusMenuExporter::idOf(QAction *action)
{
    auto found = m_ids.constFind(action);
    if (found != m_ids.constEnd())
        return *found;
    const int id = m_nextId++;
    m_ids.insert(action, id);
    return id;
}

QAction *DBusMenuExporter::actionOf(int id) const
{
    if (id <= 0 || !m_menu)
        return nullptr;
    for (QAction *action : m_menu->actions()) {
        if (m_ids.value(action) == id)
            return action;
    }
    return nullptr;
}

QVariantMap DBusMenuExporter::properties(int id, const QStringList &names) const
{
    QVariantMap all;
    if (id == 0) {
        all.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
    } else if (const QAction *action = actionOf(id)) {
        if (action->isSeparator()) {
            all.insert(QStringLiteral("type"), QStringLiteral("separator"));
        } else {
            all.insert(QStringLiteral("label"), dbusMenuLabel(action->text()));
            if (const QList<QStringList> shortcut = dbusMenuShortcut(action->shortcut()); !shortcut.isEmpty())
                all.insert(QStringLiteral("shortcut"), QVariant::fromValue(shortcut));
        }
        // Always sent, defaults included, so that an update never leaves a stale "false" behind.
        all.insert(QStringLiteral("enabled"), action->isEnabled());
        all.insert(QStringLiteral("visible"), action->isVisible());
    }
    if (names.isEmpty())
        return all;
    QVariantMap wanted;
    for (const QString &name : names) {
        if (all.contains(name))
            wanted.insert(name, all.value(name));
    }
    return wanted;
}

bool DBusMenuExporter::handleEvent(int id, const QString &eventId)
{
    if (!isKnown(id))
        return false;
    QAction *action = actionOf(id);
    if (eventId == QLatin1String("clicked") && action && action->isEnabled() && !action->isSeparator()) {
        // After the reply: the action may open windows or end the process.
        QMetaObject::invokeMethod(action, &QAction::trigger, Qt::QueuedConnection);
    }
    return true;
}

bool DBusMenuExporter::publishChanges()
{
    m_publishScheduled = false;
    if (m_layoutChanged) {
        m_layoutChanged = false;
        m_changedIds.clear();
        Q_EMIT LayoutUpdated(++m_revision, 0);
        return true;
    }
    if (m_changedIds.isEmpty())
        return false;
    DBusMenuItemList updated;
    for (const int id : std::as_const(m_changedIds)) {
        if (actionOf(id))
            updated.append(DBusMenuItem{id, properties(id, {})});
    }
    m_changedIds.clear();
    Q_EMIT ItemsPropertiesUpdated(updated, {});
    return true;
}

void DBusMenuExporter::schedulePublish()
{
    if (m_publishScheduled)
        return;
    m_publishScheduled = true;
    // A rebuilt menu sends many action events; the host hears of them once.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_publishScheduled)
                publishChanges();
        },
        Qt::QueuedConnection);
}

void DBusMenuExporter::replyUnknownId(int id)
{
    if (calledFromDBus())
        sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("No menu entry with id %1").arg(id));
}

} // namespace holdra
