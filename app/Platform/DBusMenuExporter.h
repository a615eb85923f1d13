#pragma once

#include "Platform/DBusMenuTypes.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QHash>
#include <QObject>
#include <QPointer>

class QAction;
class QMenu;

namespace holdra {

// Publishes a flat QMenu over com.canonical.dbusmenu, so that a tray host draws
// it as its own menu. Entries are the menu's actions, named by ids that stay
// with an action for as long as it lives; a rebuilt menu gets new ids and the
// host is told with LayoutUpdated. AboutToShow on the root lets the menu refresh
// itself (its aboutToShow signal) before the host reads it.
class DBusMenuExporter : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)

public:
    explicit DBusMenuExporter(QMenu *menu, QObject *parent = nullptr);

    // Serves the menu at `path` on `bus`; false when the path is taken.
    bool exportOn(const QDBusConnection &bus, const QString &path);

    uint version() const { return 3; }
    QString textDirection() const;
    QString status() const { return QStringLiteral("normal"); }
    QStringList iconThemePath() const { return {}; }
    uint revision() const { return m_revision; }

    // QtDBus finds parameter types by their spelled names, so these spell out the
    // lists rather than use the aliases.
public Q_SLOTS:
    Q_SCRIPTABLE uint GetLayout(int parentId, int recursionDepth, const QStringList &propertyNames,
                                holdra::DBusMenuLayoutItem &layout);
    Q_SCRIPTABLE QList<holdra::DBusMenuItem> GetGroupProperties(const QList<int> &ids,
                                                                const QStringList &propertyNames);
    Q_SCRIPTABLE QDBusVariant GetProperty(int id, const QString &name);
    Q_SCRIPTABLE void Event(int id, const QString &eventId, const QDBusVariant &data, uint timestamp);
    Q_SCRIPTABLE QList<int> EventGroup(const QList<holdra::DBusMenuEvent> &events);
    Q_SCRIPTABLE bool AboutToShow(int id);
    Q_SCRIPTABLE QList<int> AboutToShowGroup(const QList<int> &ids, QList<int> &idErrors);

Q_SIGNALS:
    Q_SCRIPTABLE void ItemsPropertiesUpdated(const QList<holdra::DBusMenuItem> &updatedProps,
                                             const QList<holdra::DBusMenuItemKeys> &removedProps);
    Q_SCRIPTABLE void LayoutUpdated(uint revision, int parent);
    Q_SCRIPTABLE void ItemActivationRequested(int id, uint timestamp);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int idOf(QAction *action);
    QAction *actionOf(int id) const;
    bool isKnown(int id) const { return id == 0 || actionOf(id) != nullptr; }
    QVariantMap properties(int id, const QStringList &names) const;
    bool handleEvent(int id, const QString &eventId);
    // Tells the host about changes gathered since the last call; true when there were any.
    bool publishChanges();
    void schedulePublish();
    void replyUnknownId(int id);

    QPointer<QMenu> m_menu;
    QHash<const QAction *, int> m_ids;
    QList<int> m_changedIds;
    int m_nextId = 1;
    uint m_revision = 1;
    bool m_layoutChanged = false;
    bool m_publishScheduled = false;
};

} // namespace holdra
