#include "App/QuickLookCoordinator.h"
#include "Support/ByteCount.h"
#include "TempDir.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QMetaObject>
#include <QQmlEngine>
#include <QQuickWindow>
#include <gtest/gtest.h>

using namespace holdra;
using namespace Qt::StringLiterals;

TEST(QuickLookCoordinatorTest, WithoutSushiTheOwnWindowShowsWhatTheFileIs)
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected() && bus.interface()->isServiceRegistered(u"org.gnome.NautilusPreviewer"_s))
        GTEST_SKIP() << "GNOME's previewer answers on this bus";

    holdra::test::TempDir dir;
    QQmlEngine engine;
    QuickLookCoordinator coordinator(engine);
    QList<QUrl> opened;
    coordinator.setURLOpener([&](const QUrl &url) {
        opened.append(url);
        return QString();
    });

    const QUrl text = QUrl::fromLocalFile(dir.write(u"notes.txt"_s, "第一行\n第二行"));
    coordinator.present({text});
    QQuickWindow *window = coordinator.window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->property("kind").toString(), u"text"_s);
    EXPECT_EQ(window->property("text").toString(), u"第一行\n第二行"_s);
    EXPECT_EQ(window->property("fileName").toString(), u"notes.txt"_s);

    // 1350 bytes: "1.4 kB" in the rows' style, "1.32 KiB" in another.
    const QUrl other =
        QUrl::fromLocalFile(dir.write(u"archive.zip"_s, QByteArray("PK\x03\x04").leftJustified(1350, 'x')));
    coordinator.present({other});
    EXPECT_EQ(coordinator.window(), window);
    EXPECT_EQ(window->property("kind").toString(), u"other"_s);
    EXPECT_TRUE(window->property("text").toString().isEmpty());
    EXPECT_EQ(window->property("sizeText").toString(), formattedByteCount(1350));

    QMetaObject::invokeMethod(window, "openRequested");
    EXPECT_EQ(opened, QList<QUrl>{other});
}
