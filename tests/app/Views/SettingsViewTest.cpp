#include "App/ConnectedDisplayList.h"
#include "App/HotKeyManager.h"
#include "App/HotKeyRecorder.h"
#include "App/SettingsWindow.h"
#include "App/SymbolImageProvider.h"
#include "App/UpdaterModel.h"
#include "Platform/X11HotKeyBackend.h"
#include "QuickItems.h"
#include "Settings/AppSettings.h"
#include "Settings/InMemoryUserDefaults.h"
#include "StoreFixture.h"

#include <QKeyEvent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

namespace holdra::test {
namespace {

using Modifier = GlobalHotKey::Modifier;

// The real settings window, offscreen, over real settings and a real store,
// with two displays: a main one and one to its right.
class SettingsViewTest : public StoreFixture
{
protected:
    void SetUp() override
    {
        openStore();
        m_engine.addImageProvider(QStringLiteral("symbol"), new SymbolImageProvider);
        m_displays = std::make_unique<ConnectedDisplayList>(m_settings, [this] { return m_screens; });
        m_recorder = std::make_unique<HotKeyRecorder>(m_settings, &m_hotKeys, [](quint32) { return std::nullopt; });
        SettingsWindow::Services services;
        services.settings = &m_settings;
        services.updater = &m_updater;
        services.store = m_store.get();
        services.hotKeyManager = &m_hotKeys;
        services.displays = m_displays.get();
        services.recorder = m_recorder.get();
        m_window = std::make_unique<SettingsWindow>(m_engine, services);
        m_window->show();
        ASSERT_NE(m_window->window(), nullptr) << m_window->errorString().toStdString();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window->window()));
    }

    QQuickWindow *window() const { return m_window->window(); }

    QList<QQuickItem *> items(const QString &name) const
    {
        QList<QQuickItem *> out;
        std::function<void(QQuickItem *)> walk = [&](QQuickItem *item) {
            if (item->objectName() == name && effectivelyVisible(item))
                out.append(item);
            for (QQuickItem *child : item->childItems())
                walk(child);
        };
        walk(window()->contentItem());
        return out;
    }
    QQuickItem *item(const QString &name) const { return items(name).value(0); }
    QString text(const QString &name) const
    {
        QQuickItem *found = item(name);
        return found ? found->property("text").toString() : QStringLiteral("<no %1>").arg(name);
    }
    QQuickItem *switchOf(const QString &rowName, int index = 0) const
    {
        QQuickItem *row = items(rowName).value(index);
        return row ? row->property("switchItem").value<QQuickItem *>() : nullptr;
    }
    bool checked(QQuickItem *item) const { return item && item->property("checked").toBool(); }

    // Scrolls the item into view first: the general tab is taller than the window.
    [[nodiscard]] ::testing::AssertionResult click(QQuickItem *target) const
    {
        if (!target)
            return ::testing::AssertionFailure() << "nothing to click";
        for (QQuickItem *p = target->parentItem(); p; p = p->parentItem()) {
            if (p->inherits("QQuickFlickable")) {
                const double y = target->mapToItem(p->property("contentItem").value<QQuickItem *>(), QPointF()).y();
                const double visibleHeight = p->height();
                p->setProperty("contentY", qMax(0.0, y - visibleHeight / 3));
                break;
            }
        }
        const auto centre = [&] { return target->mapToScene(QPointF(target->width() / 2, target->height() / 2)); };
        const bool onScreen = QTest::qWaitFor(
            [&] {
                return effectivelyVisible(target) && target->width() > 0
                    && QRectF(QPointF(), QSizeF(window()->size())).contains(centre());
            },
            5000);
        if (!onScreen)
            return ::testing::AssertionFailure() << qPrintable(target->objectName()) << " is not on screen";
        QTest::mouseClick(window(), Qt::LeftButton, Qt::NoModifier, centre().toPoint());
        return ::testing::AssertionSuccess();
    }
    // Clicks a tab's button and waits until it is the current tab.
    [[nodiscard]] ::testing::AssertionResult showTab(const QString &name) const
    {
        QQuickItem *tab = item(name);
        if (::testing::AssertionResult clicked = click(tab); !clicked)
            return clicked;
        if (!QTest::qWaitFor([&] { return tab->property("checked").toBool(); }, 5000))
            return ::testing::AssertionFailure() << qPrintable(name) << " did not become current";
        return ::testing::AssertionSuccess();
    }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const
    {
        QTest::keyClick(window(), Qt::Key(key), modifiers);
    }
    // Saves the window to build/screenshots/<name>.png for a look by eye.
    void saveScreenshot(const QString &name) const
    {
        const QString binary = qEnvironmentVariable("HOLDRA_BINARY");
        const QString directory = binary.isEmpty() ? QDir::tempPath() + QStringLiteral("/holdra-screenshots")
                                                   : QFileInfo(binary).absolutePath() + QStringLiteral("/screenshots");
        QDir().mkpath(directory);
        window()->grabWindow().save(directory + QLatin1Char('/') + name + QStringLiteral(".png"));
    }

    QList<ConnectedDisplay::Screen> m_screens{
        {"main-id", "Acme 27", QRectF(0, 0, 1920, 1080), false, true},
        {"side-id", "HDMI-1", QRectF(1920, 0, 1920, 1080), false, false},
    };
    InMemoryUserDefaults m_defaults;
    AppSettings m_settings{m_defaults};
    UpdaterModel m_updater{m_defaults, QUrl::fromLocalFile(QStringLiteral("/nonexistent/appcast.xml"))};
    HotKeyManager m_hotKeys{&m_settings, std::make_unique<X11HotKeyBackend>()};
    QQmlEngine m_engine;
    std::unique_ptr<ConnectedDisplayList> m_displays;
    std::unique_ptr<HotKeyRecorder> m_recorder;
    std::unique_ptr<SettingsWindow> m_window;
};

TEST_F(SettingsViewTest, EachSwitchWritesItsSettingAndFollowsChangesFromElsewhere)
{
    struct Row
    {
        const char *name;
        std::function<bool()> read;
        std::function<void(bool)> write;
    };
    const QList<Row> rows{
        {"launchAtLoginRow", [&] { return m_settings.launchAtLogin(); },
         [&](bool v) { m_settings.setLaunchAtLogin(v); }},
        {"enableInFullScreenRow", [&] { return m_settings.enableInFullScreen(); },
         [&](bool v) { m_settings.setEnableInFullScreen(v); }},
        {"soundFeedbackRow", [&] { return m_settings.soundFeedback(); },
         [&](bool v) { m_settings.setSoundFeedback(v); }},
        {"animationsRow", [&] { return m_settings.animations(); }, [&](bool v) { m_settings.setAnimations(v); }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        QQuickItem *toggle = switchOf(QString::fromLatin1(row.name));
        ASSERT_NE(toggle, nullptr);
        const bool before = row.read();
        EXPECT_EQ(checked(toggle), before);
        ASSERT_TRUE(click(toggle));
        EXPECT_EQ(row.read(), !before) << "the click wrote the setting";
        EXPECT_EQ(checked(toggle), !before);
        // After a click the switch still follows the setting.
        row.write(before);
        EXPECT_EQ(checked(toggle), before);
    }
    // Written through at once.
    m_settings.setAnimations(false);
    EXPECT_EQ(m_defaults.boolValue(QStringLiteral("settings.animations")), false);
    saveScreenshot("settings-general");
}

TEST_F(SettingsViewTest, TheWidthRowShowsWholePixelsAndResetsToTheDefault)
{
    EXPECT_EQ(text("panelWidthText"), "384 像素");
    EXPECT_FALSE(item("resetPanelWidth")->isEnabled());
    m_settings.setPanelWidth(500.7);
    EXPECT_EQ(text("panelWidthText"), "500 像素");
    ASSERT_TRUE(item("resetPanelWidth")->isEnabled());
    ASSERT_TRUE(click(item("resetPanelWidth")));
    EXPECT_EQ(m_settings.panelWidth(), 384);
    EXPECT_EQ(text("panelWidthText"), "384 像素");
}

TEST_F(SettingsViewTest, NoTextSpeaksOfNotchesMenuBarsOrPoints)
{
    // Every text of every tab, shown or not yet (the all-displays-off note).
    QStringList texts;
    std::function<void(QQuickItem *)> walk = [&](QQuickItem *item) {
        for (const char *property : {"text", "title", "caption"}) {
            const QString value = item->property(property).toString();
            if (!value.isEmpty())
                texts.append(value);
        }
        for (QQuickItem *child : item->childItems())
            walk(child);
    };
    walk(window()->contentItem());
    ASSERT_TRUE(texts.contains(QStringLiteral("吸附屏幕")));
    for (const QString &text : std::as_const(texts)) {
        EXPECT_FALSE(text.contains(QStringLiteral("刘海"))) << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("菜单栏"))) << text.toStdString();
        EXPECT_FALSE(text.endsWith(QStringLiteral(" pt"))) << text.toStdString();
    }
}

TEST_F(SettingsViewTest, DisplaySwitchesEditTheSelectionDownToNoneAndBackToAutomatic)
{
    const QList<QQuickItem *> rows = items("displayRow");
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0]->property("title").toString(), "Acme 27 · 默认屏幕");
    EXPECT_EQ(rows[0]->property("caption").toString(), "默认 · 屏幕顶部中央");
    EXPECT_EQ(rows[1]->property("title").toString(), "HDMI-1 · 右侧屏幕");
    EXPECT_EQ(rows[1]->property("caption").toString(), "屏幕顶部中央");
    // Automatic: only the default display shows a capsule.
    EXPECT_TRUE(checked(switchOf("displayRow", 0)));
    EXPECT_FALSE(checked(switchOf("displayRow", 1)));
    EXPECT_FALSE(item("resetDisplays")->isEnabled());

    ASSERT_TRUE(click(switchOf("displayRow", 1)));
    EXPECT_EQ(m_settings.displayAttachmentSelection(),
              DisplayAttachmentSelection::selected({QStringLiteral("main-id"), QStringLiteral("side-id")}));
    EXPECT_TRUE(checked(switchOf("displayRow", 1)));
    EXPECT_EQ(item("allDisplaysOffNote"), nullptr);

    ASSERT_TRUE(click(switchOf("displayRow", 0)));
    ASSERT_TRUE(click(switchOf("displayRow", 1)));
    EXPECT_TRUE(m_settings.displayAttachmentSelection().isDisabled());
    EXPECT_FALSE(checked(switchOf("displayRow", 0)));
    EXPECT_NE(item("allDisplaysOffNote"), nullptr) << "the note shows while no display is on";
    ASSERT_TRUE(item("resetDisplays")->isEnabled());

    ASSERT_TRUE(click(item("resetDisplays")));
    EXPECT_TRUE(m_settings.displayAttachmentSelection().isAutomatic());
    EXPECT_TRUE(checked(switchOf("displayRow", 0)));
    EXPECT_EQ(item("allDisplaysOffNote"), nullptr);

    // A display plugged in shows up after a refresh.
    m_screens.append({"third-id", "Beta 24", QRectF(0, -1200, 1920, 1200), false, false});
    ASSERT_TRUE(click(item("refreshDisplays")));
    ASSERT_EQ(items("displayRow").size(), 3);
    EXPECT_EQ(items("displayRow")[2]->property("title").toString(), "Beta 24 · 上方屏幕");
}

TEST_F(SettingsViewTest, TheRecorderTakesAKeyWithModifiersAndLetsGoOfTheGrabMeanwhile)
{
    QQuickItem *recorder = item("hotKeyRecorder");
    ASSERT_NE(recorder, nullptr);
    EXPECT_EQ(text("hotKeyRecorder"), "Ctrl+Alt+Space");

    ASSERT_TRUE(click(recorder));
    ASSERT_TRUE(m_recorder->isRecording());
    EXPECT_EQ(text("hotKeyRecorder"), "按下快捷键…");
    EXPECT_TRUE(m_hotKeys.isSuspended()) << "the current shortcut must reach the recorder";

    // A letter alone is no shortcut: recording goes on.
    press(Qt::Key_A);
    EXPECT_TRUE(m_recorder->isRecording());
    // A modifier pressed on its own neither.
    press(Qt::Key_Control, Qt::ControlModifier);
    EXPECT_TRUE(m_recorder->isRecording());
    // Escape cancels and changes nothing.
    press(Qt::Key_Escape);
    EXPECT_FALSE(m_recorder->isRecording());
    EXPECT_FALSE(m_hotKeys.isSuspended());
    EXPECT_EQ(m_settings.hotKey(), GlobalHotKey::defaultHotKey());

    ASSERT_TRUE(click(recorder));
    // Pause has no Mac key code: the row says why it is refused.
    press(Qt::Key_Pause, Qt::ControlModifier);
    EXPECT_TRUE(m_recorder->isRecording());
    EXPECT_EQ(text("hotKeyHint"), QString::fromUtf8(HotKeyRecorder::refusedKeyHint).arg(QStringLiteral("Pause")));
    // Shift and a letter is accepted, the letter folded to its key.
    press(Qt::Key_K, Qt::ShiftModifier);
    EXPECT_FALSE(m_recorder->isRecording());
    EXPECT_EQ(m_settings.hotKey(), GlobalHotKey(40, Modifier::Shift));
    EXPECT_EQ(text("hotKeyRecorder"), "Shift+K");
    EXPECT_EQ(m_settings.hotKey().displayString(), "⇧K");
    // Without X11 the row says why the key will not work.
    EXPECT_EQ(text("hotKeyHint"), m_hotKeys.registrationFailureText());

    ASSERT_TRUE(click(recorder));
    press(Qt::Key_1, Qt::ControlModifier | Qt::MetaModifier);
    EXPECT_EQ(m_settings.hotKey(), GlobalHotKey(18, Modifier::Control | Modifier::Command));
    EXPECT_EQ(text("hotKeyRecorder"), "Ctrl+Super+1");

    ASSERT_TRUE(click(item("resetHotKey")));
    EXPECT_EQ(m_settings.hotKey(), GlobalHotKey::defaultHotKey());
    EXPECT_EQ(text("hotKeyRecorder"), "Ctrl+Alt+Space");
}

TEST_F(SettingsViewTest, HidingTheWindowEndsARecording)
{
    ASSERT_TRUE(click(item("hotKeyRecorder")));
    ASSERT_TRUE(m_hotKeys.isSuspended());
    window()->hide();
    EXPECT_FALSE(m_recorder->isRecording());
    EXPECT_FALSE(m_hotKeys.isSuspended());
    // Shown again, the same window comes back.
    QQuickWindow *first = window();
    m_window->show();
    EXPECT_EQ(window(), first);
    EXPECT_TRUE(window()->isVisible());
}

TEST_F(SettingsViewTest, TheUpdateTabShowsTheVersionAndRunsACheck)
{
    ASSERT_TRUE(showTab("tabUpdate"));
    EXPECT_EQ(text("versionText"), SettingsWindow::versionText());
    EXPECT_EQ(text("lastCheckText"), "从未");
    ASSERT_TRUE(click(item("checkForUpdates")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_updater.state() == UpdaterModel::State::Failed; }, 5000));
    // A check that failed is no check.
    EXPECT_EQ(text("lastCheckText"), "从未");
    EXPECT_FALSE(text("updateStatus").isEmpty());
    saveScreenshot("settings-update");

    ASSERT_TRUE(showTab("tabKelvarn"));
    EXPECT_EQ(text("kelvarnDescription"), "Kelvarn 是下载文件整理工具，可按日期归档下载内容，并快速打开当天文件夹。");
    EXPECT_NE(item("kelvarnHomepageLink"), nullptr);
    saveScreenshot("settings-kelvarn");
}

TEST(SettingsWindowVersionTest, AMissingPartReadsAsAQuestionMark)
{
    EXPECT_EQ(SettingsWindow::versionText("0.1.0", "abc1234567"), "0.1.0 (abc1234567)");
    EXPECT_EQ(SettingsWindow::versionText("0.1.0", ""), "0.1.0 (?)");
    EXPECT_EQ(SettingsWindow::versionText("", ""), "? (?)");
}

} // namespace
} // namespace holdra::test
