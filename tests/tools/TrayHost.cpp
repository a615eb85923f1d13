// Plays a StatusNotifierItem tray host beside the real binary, on the session bus.
//
// Usage: holdra_tray_host watch                  owns the watcher's name, prints
//                                                "registered SERVICE" for each item
//        holdra_tray_host activate SERVICE       a left click on the item
//        holdra_tray_host property SERVICE NAME  prints one property of the item
//        holdra_tray_host menu SERVICE           prints the menu's rows, one a line
//        holdra_tray_host click SERVICE LABEL    clicks the menu row LABEL

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>

#include <cstdio>

namespace {

const QString watcherName = QStringLiteral("org.kde.StatusNotifierWatcher");

class Watcher : public QDBusVirtualObject
{
public:
    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        if (message.member() != u"RegisterStatusNotifierItem")
            return false;
        std::printf("registered %s\n", qPrintable(message.arguments().value(0).toString()));
        std::fflush(stdout);
        connection.send(message.createReply());
        return true;
    }
};

QDBusMessage call(const QString &service, const QString &path, const QString &interface, const QString &method,
                  const QVariantList &arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(message, QDBus::Block, 5000);
    if (reply.type() == QDBusMessage::ErrorMessage)
        std::fprintf(stderr, "%s: %s\n", qPrintable(method), qPrintable(reply.errorMessage()));
    return reply;
}

// (id, label) of each row of the menu; separators as "—".
QList<std::pair<int, QString>> menuRows(const QString &service)
{
    const QDBusMessage reply = call(service, QStringLiteral("/MenuBar"), QStringLiteral("com.canonical.dbusmenu"),
                                    QStringLiteral("GetLayout"), {0, -1, QStringList()});
    QList<std::pair<int, QString>> rows;
    if (reply.arguments().size() != 2)
        return rows;
    const QDBusArgument root = reply.arguments().at(1).value<QDBusArgument>();
    int id = 0;
    QVariantMap properties;
    root.beginStructure();
    root >> id >> properties;
    root.beginArray();
    while (!root.atEnd()) {
        QDBusVariant child;
        root >> child;
        const QDBusArgument entry = child.variant().value<QDBusArgument>();
        entry.beginStructure();
        entry >> id >> properties;
        const bool separator = properties.value(QStringLiteral("type")).toString() == u"separator";
        rows.append({id, separator ? QStringLiteral("—") : properties.value(QStringLiteral("label")).toString()});
    }
    return rows;
}

int run(const QStringList &args)
{
    const QString command = args.value(1);
    const QString service = args.value(2);
    if (command == u"watch") {
        static Watcher watcher;
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.registerVirtualObject(QStringLiteral("/StatusNotifierWatcher"), &watcher)
            || !bus.registerService(watcherName))
            return 1;
        return QCoreApplication::exec();
    }
    if (command == u"activate")
        return call(service, QStringLiteral("/StatusNotifierItem"), QStringLiteral("org.kde.StatusNotifierItem"),
                    QStringLiteral("Activate"), {0, 0})
                    .type()
                == QDBusMessage::ReplyMessage
            ? 0
            : 1;
    if (command == u"property") {
        const QDBusMessage reply =
            call(service, QStringLiteral("/StatusNotifierItem"), QStringLiteral("org.freedesktop.DBus.Properties"),
                 QStringLiteral("Get"), {QStringLiteral("org.kde.StatusNotifierItem"), args.value(3)});
        std::printf("%s\n", qPrintable(reply.arguments().value(0).value<QDBusVariant>().variant().toString()));
        return reply.type() == QDBusMessage::ReplyMessage ? 0 : 1;
    }
    const QList<std::pair<int, QString>> rows = menuRows(service);
    if (command == u"menu") {
        for (const auto &[id, label] : rows)
            std::printf("%s\n", qPrintable(label));
        return rows.isEmpty() ? 1 : 0;
    }
    for (const auto &[id, label] : rows) {
        if (command == u"click" && label == args.value(3))
            return call(service, QStringLiteral("/MenuBar"), QStringLiteral("com.canonical.dbusmenu"),
                        QStringLiteral("Event"),
                        {id, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0u})
                        .type()
                    == QDBusMessage::ReplyMessage
                ? 0
                : 1;
    }
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return run(app.arguments());
}
