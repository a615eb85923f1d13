#include "Notch/NotchController.h"

#include "FakeNotchWindow.h"
#include "ManualClock.h"
#include "Settings/AppSettings.h"
#include "Settings/InMemoryUserDefaults.h"
#include "StoreFixture.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

#include <gtest/gtest.h>

namespace holdra::test {
namespace {

// The root view and the closed capsule, loaded from the QML module over a real
// controller and store.
class NotchRootViewTest : public StoreFixture
{
protected:
    NotchRootViewTest()
    {
        NotchDisplay a;
        a.id = QStringLiteral("A");
        a.geometry = a.availableGeometry = QRectF(0, 0, 1920, 1080);
        NotchDisplay b = a;
        b.id = QStringLiteral("B");
        b.geometry = b.availableGeometry = QRectF(1920, 0, 1280, 1024);
        m_displays = {a, b};
        openStore();
        NotchController::Environment env;
        env.displays = [this] { return m_displays; };
        env.makeWindow = [this](NotchController &, const QString &id) {
            return std::make_unique<FakeNotchWindow>(m_windows, id);
        };
        env.clock = &m_clock;
        m_controller = std::make_unique<NotchController>(*m_store, m_settings, std::move(env));
    }

    std::unique_ptr<QQuickItem> load(const QString &displayID, bool openPanelAvailable = false)
    {
        QQmlComponent component(&m_engine);
        component.setData("import Holdra\nNotchRootView {}", QUrl());
        EXPECT_TRUE(component.isReady()) << component.errorString().toStdString();
        if (!component.isReady())
            return nullptr;
        std::unique_ptr<QObject> object(component.createWithInitialProperties(
            {{QStringLiteral("controller"), QVariant::fromValue(static_cast<QObject *>(m_controller.get()))},
             {QStringLiteral("displayID"), displayID},
             {QStringLiteral("openPanelAvailable"), openPanelAvailable}}));
        auto *item = qobject_cast<QQuickItem *>(object.get());
        EXPECT_NE(item, nullptr) << component.errorString().toStdString();
        if (!item)
            return nullptr;
        object.release();
        // Rows lay out when the window polishes them.
        item->setParentItem(m_window.contentItem());
        item->setSize(QSizeF(190, 34));
        return std::unique_ptr<QQuickItem>(item);
    }

    static QQuickItem *child(QQuickItem *root, const char *name)
    {
        return root->findChild<QQuickItem *>(QString::fromLatin1(name));
    }

    QList<NotchDisplay> m_displays;
    std::map<QString, WindowState> m_windows;
    ManualClock m_clock;
    InMemoryUserDefaults m_defaults;
    AppSettings m_settings{m_defaults};
    QQmlEngine m_engine;
    QQuickWindow m_window;
    std::unique_ptr<NotchController> m_controller;
};

TEST_F(NotchRootViewTest, TheCapsuleShowsTheItemCountOnlyWhenThereAreItems)
{
    auto root = load(QStringLiteral("A"));
    ASSERT_TRUE(root);
    QQuickItem *count = child(root.get(), "itemCountText");
    ASSERT_NE(count, nullptr);
    EXPECT_FALSE(count->isVisible());
    m_store->addText(QStringLiteral("one"));
    EXPECT_TRUE(count->isVisible());
    EXPECT_EQ(count->property("text").toString(), QStringLiteral("1"));
    QQuickItem *tray = child(root.get(), "traySegment");
    ASSERT_NE(tray, nullptr);
}

TEST_F(NotchRootViewTest, TheCompanionSegmentFollowsTheController)
{
    m_window.resize(190, 34);
    m_window.show();
    auto root = load(QStringLiteral("A"));
    ASSERT_TRUE(root);
    QQuickItem *companion = child(root.get(), "companionSegment");
    ASSERT_NE(companion, nullptr);
    EXPECT_FALSE(companion->isVisible());
    QQuickItem *bar = child(root.get(), "capsuleBar");
    ASSERT_NE(bar, nullptr);
    const double narrow = bar->width();
    m_controller->setKelvarnAvailability(true, false);
    EXPECT_TRUE(companion->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar->width() > narrow; }, 2000)) << "the capsule grows with the segment";
    m_controller->setKelvarnAvailability(false, false);
    EXPECT_FALSE(companion->isVisible());
}

TEST_F(NotchRootViewTest, ADisplayWithoutTheCapsuleDrawsNone)
{
    auto shown = load(QStringLiteral("A"));
    auto hidden = load(QStringLiteral("B"));
    ASSERT_TRUE(shown && hidden);
    EXPECT_TRUE(child(shown.get(), "traySegment")->isVisible());
    EXPECT_FALSE(child(hidden.get(), "traySegment")->isVisible());
}

TEST_F(NotchRootViewTest, OpeningWithoutThePanelViewShowsNothingAndClosingBringsTheCapsuleBack)
{
    auto root = load(QStringLiteral("A"));
    ASSERT_TRUE(root);
    m_controller->open(QStringLiteral("A"));
    EXPECT_TRUE(root->property("panelOpen").toBool());
    EXPECT_TRUE(QTest::qWaitFor([&] { return child(root.get(), "traySegment") == nullptr; }, 2000))
        << "the closed view leaves while open";
    m_controller->close();
    EXPECT_NE(child(root.get(), "traySegment"), nullptr);
}

} // namespace
} // namespace holdra::test
