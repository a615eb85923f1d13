#include "App/StatusItemController.h"
#include "App/TrayPresence.h"
#include "App/UpdaterModel.h"
#include "Platform/DBusMenuTypes.h"
#include "Platform/StatusNotifierItem.h"
#include "PrivateSessionBus.h"
#include "Settings/AppSettings.h"
#include "Settings/InMemoryUserDefaults.h"
#include "StoreFixture.h"

#include <QColor>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVirtualObject>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>
#include <gtest/gtest.h>

using namespace holdra;
using namespace Qt::StringLiterals;

namespace {

const QString sniInterface = u"org.kde.StatusNotifierItem"_s;
const QString menuInterface = u"com.canonical.dbusmenu"_s;

// A tray host's watcher: remembers every item that registers with it.
class FakeWatcher : public QDBusVirtualObject
{
public:
    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        if (message.member() != u"RegisterStatusNotifierItem")
            return false;
        registrations.append(message.arguments().value(0).toString());
        connection.send(message.createReply());
        return true;
    }
    QStringList registrations;
};

class StatusItemControllerTest : public test::StoreFixture
{
protected:
    void SetUp() override
    {
        test::StoreFixture::SetUp();
        if (!bus.failure().isEmpty())
            GTEST_SKIP() << bus.failure().toStdString();
        host = bus.connect();
        registerDBusMenuTypes();
        registerStatusNotifierTypes();
    }

    std::unique_ptr<StatusItemController> makeController()
    {
        auto controller = std::make_unique<StatusItemController>(&openStore(), &settings, &updater, bus.connect());
        controller->show();
        itemService = controller->tray()->statusNotifierItem()->serviceName();
        return controller;
    }

    // The host calls the item as a tray does; the item answers on the same thread.
    QDBusMessage call(const QString &path, const QString &interface, const QString &method, const QVariantList &args)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(itemService, path, interface, method);
        message.setArguments(args);
        return host.call(message, QDBus::BlockWithGui, 5000);
    }

    // The host's view of the menu: its revision and entries.
    std::pair<uint, QList<DBusMenuLayoutItem>> layout()
    {
        const QDBusMessage reply = call(u"/MenuBar"_s, menuInterface, u"GetLayout"_s, {0, -1, QStringList()});
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2)
            return {0, {}};
        const auto root = qdbus_cast<DBusMenuLayoutItem>(reply.arguments().at(1).value<QDBusArgument>());
        return {reply.arguments().at(0).toUInt(), root.children};
    }

    static QString label(const DBusMenuLayoutItem &entry) { return entry.properties.value(u"label"_s).toString(); }

    static int idOf(const QList<DBusMenuLayoutItem> &entries, const QString &text)
    {
        const auto found =
            std::find_if(entries.begin(), entries.end(), [&](const auto &e) { return label(e) == text; });
        return found == entries.end() ? -1 : found->id;
    }

    // Hosts send single events or groups of them.
    QDBusMessage click(int id, bool asGroup = false)
    {
        if (!asGroup)
            return call(u"/MenuBar"_s, menuInterface, u"Event"_s,
                        {id, u"clicked"_s, QVariant::fromValue(QDBusVariant(0)), 0u});
        const QList<DBusMenuEvent> events{{id, u"clicked"_s, QDBusVariant(0), 0u}};
        return call(u"/MenuBar"_s, menuInterface, u"EventGroup"_s, {QVariant::fromValue(events)});
    }

    test::PrivateSessionBus bus;
    QDBusConnection host{QString()};
    QString itemService;
    InMemoryUserDefaults defaults;
    AppSettings settings{defaults};
    UpdaterModel updater{defaults, QUrl::fromLocalFile(u"/nonexistent/appcast.xml"_s)};
};

} // namespace

// Registering with a host that starts late or restarts, and its Activate, are
// driven end to end; here the XEmbed icon that stands in while there is no host.
TEST_F(StatusItemControllerTest, TheEmbeddedIconStandsInWithoutAHostAndItsClickTogglesOnce)
{
    auto controller = makeController();
    TrayPresence *tray = controller->tray();
    QSystemTrayIcon *icon = tray->embeddedIcon();
    ASSERT_NE(icon, nullptr);
    EXPECT_TRUE(icon->isVisible());
    QSignalSpy toggle(controller.get(), &StatusItemController::togglePanelRequested);
    // The press of this click closed the open panel (outside it): the click is spent.
    controller->notePanelClosed();
    Q_EMIT icon->activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(toggle.count(), 0);
    // The next click opens it again; the other buttons do not.
    for (const auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::Context, QSystemTrayIcon::DoubleClick})
        Q_EMIT icon->activated(reason);
    EXPECT_EQ(toggle.count(), 1);

    FakeWatcher watcher;
    const QString watcherName = StatusNotifierItem::watcherService();
    ASSERT_TRUE(host.registerVirtualObject(u"/StatusNotifierWatcher"_s, &watcher));
    ASSERT_TRUE(host.registerService(watcherName));
    EXPECT_TRUE(QTest::qWaitFor([&] { return watcher.registrations == QStringList{itemService}; }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !icon->isVisible(); }, 5000));
    ASSERT_TRUE(host.unregisterService(watcherName));
    EXPECT_TRUE(QTest::qWaitFor([&] { return icon->isVisible(); }, 5000));
}

TEST_F(StatusItemControllerTest, AHostWithoutTheIconThemeGetsPixelsThatShowOnAnyPanel)
{
    auto controller = makeController();
    // A host that cannot find the icon by name draws the pixels: both a light
    // and a dark part, so that one of them stands out on any panel colour.
    const QDBusMessage reply = call(StatusNotifierItem::objectPath(), u"org.freedesktop.DBus.Properties"_s, u"Get"_s,
                                    {sniInterface, u"IconPixmap"_s});
    const auto images = qdbus_cast<StatusNotifierImageList>(
        reply.arguments().value(0).value<QDBusVariant>().variant().value<QDBusArgument>());
    ASSERT_FALSE(images.isEmpty());
    const StatusNotifierImage &icon = images.first();
    ASSERT_EQ(icon.argb.size(), icon.width * icon.height * 4);
    QList<int> lightness; // of the opaque pixels, sent as A, R, G, B
    for (qsizetype at = 0; at < icon.argb.size(); at += 4) {
        const auto *p = reinterpret_cast<const uchar *>(icon.argb.constData() + at);
        if (p[0] >= 200)
            lightness.append(QColor(p[1], p[2], p[3]).lightness());
    }
    ASSERT_FALSE(lightness.isEmpty());
    EXPECT_GT(std::ranges::max(lightness), 200);
    EXPECT_LT(std::ranges::min(lightness), 60);
}

// The tray's rows and their clicks are driven end to end; here what a host
// sees between them: a summary made fresh at each opening, and stale ids.
TEST_F(StatusItemControllerTest, TheMenuIsCurrentWhenOpenedAndItsClicksRunTheCommands)
{
    auto controller = makeController();
    StashStore &store = *m_store;
    const auto [firstRevision, before] = layout();
    ASSERT_EQ(before.size(), 8);
    EXPECT_EQ(before.at(2).properties.value(u"enabled"_s), QVariant(false));

    // What was added while the menu was closed is there when the host opens it.
    store.addText(u"第一条"_s);
    store.addText(u"second"_s);
    EXPECT_EQ(call(u"/MenuBar"_s, menuInterface, u"AboutToShow"_s, {0}).arguments().value(0), QVariant(true));
    const auto [revision, entries] = layout();
    EXPECT_GT(revision, firstRevision);
    EXPECT_EQ(label(entries.at(2)), u"2 个项目 · "_s + store.totalByteSizeText());

    QSignalSpy quit(controller.get(), &StatusItemController::quitRequested);
    QSignalSpy finished(&updater, &UpdaterModel::checkFinished);
    click(idOf(entries, u"检查更新…"_s), true);
    ASSERT_TRUE(finished.count() == 1 || finished.wait(10000));
    EXPECT_EQ(updater.state(), UpdaterModel::State::Failed);
    EXPECT_EQ(quit.count(), 0);
    // An entry of the old menu is gone, and the host is told so.
    EXPECT_EQ(click(before.at(0).id).type(), QDBusMessage::ErrorMessage);
}
