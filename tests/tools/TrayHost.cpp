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

using namespace Qt::StringLiterals;

namespace {

const QString itemInterface = u"org.kde.StatusNotifierItem"_s;
const QString menuInterface = u"com.canonical.dbusmenu"_s;

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

QDBusMessage call(const QString &service, const QString &interface, const QString &method,
                  const QVariantList &arguments)
{
    const QString path = interface == menuInterface ? u"/MenuBar"_s : u"/StatusNotifierItem"_s;
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(message, QDBus::Block, 5000);
    if (reply.type() == QDBusMessage::ErrorMessage)
        std::fprintf(stderr, "%s: %s\n", qPrintable(method), qPrintable(reply.errorMessage()));
    return reply;
}

int exitCode(const QDBusMessage &reply)
{
    return reply.type() == QDBusMessage::ReplyMessage ? 0 : 1;
}

// (id, label) of each row of the menu; separators as "—".
QList<std::pair<int, QString>> menuRows(const QString &service)
{
    const QDBusMessage reply = call(service, menuInterface, u"GetLayout"_s, {0, -1, QStringList()});
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
        const bool separator = properties.value(u"type"_s).toString() == u"separator";
        rows.append({id, separator ? u"—"_s : properties.value(u"label"_s).toString()});
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
        if (!bus.registerVirtualObject(u"/StatusNotifierWatcher"_s, &watcher)
            || !bus.registerService(u"org.kde.StatusNotifierWatcher"_s))
            return 1;
        return QCoreApplication::exec();
    }
    if (command == u"activate")
        return exitCode(call(service, itemInterface, u"Activate"_s, {0, 0}));
    if (command == u"property") {
        const QDBusMessage reply =
            call(service, u"org.freedesktop.DBus.Properties"_s, u"Get"_s, {itemInterface, args.value(3)});
        std::printf("%s\n", qPrintable(reply.arguments().value(0).value<QDBusVariant>().variant().toString()));
        return exitCode(reply);
    }
    const QList<std::pair<int, QString>> rows = menuRows(service);
    for (const auto &[id, label] : rows) {
        if (command == u"menu")
            std::printf("%s\n", qPrintable(label));
        else if (command == u"click" && label == args.value(3))
            return exitCode(
                call(service, menuInterface, u"Event"_s, {id, u"clicked"_s, QVariant::fromValue(QDBusVariant(0)), 0u}));
    }
    return command == u"menu" && !rows.isEmpty() ? 0 : 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return run(app.arguments());
}
