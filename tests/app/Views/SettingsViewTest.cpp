#include "App/ConnectedDisplayList.h"
#include "App/HotKeyManager.h"
#include "App/HotKeyRecorder.h"
#include "App/SettingsWindow.h"
#include "App/UpdaterModel.h"
#include "PanelViewFixture.h"
#include "Platform/X11HotKeyBackend.h"

namespace holdra::test {
namespace {

using Modifier = GlobalHotKey::Modifier;

// The real settings window, offscreen, made on the views' engine over real
// settings, with two displays: a main one and one to its right.
class SettingsViewTest : public PanelViewFixture
{
protected:
    void SetUp() override
    {
        SettingsWindow::Services services;
        services.settings = &m_settings;
        services.updater = &m_updater;
        services.displays = &m_displayList;
        services.recorder = &m_recorder;
        m_window = std::make_unique<SettingsWindow>(m_engine, services);
        m_window->show();
        ASSERT_NE(m_window->window(), nullptr) << m_window->errorString().toStdString();
        m_scene = m_window->window();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_scene));
    }

    QQuickItem *switchOf(const QString &rowName, int index = 0) const
    {
        QQuickItem *row = visibleItems(rowName).value(index);
        return row ? row->property("switchItem").value<QQuickItem *>() : nullptr;
    }
    static bool checked(QQuickItem *item) { return item && item->property("checked").toBool(); }
    QString title(int display) const
    {
        return visibleItems(u"displayRow"_s).value(display)->property("title").toString();
    }

    QList<ConnectedDisplay::Screen> m_screens{
        {u"main-id"_s, u"Acme 27"_s, QRectF(0, 0, 1920, 1080), false, true},
        {u"side-id"_s, u"HDMI-1"_s, QRectF(1920, 0, 1920, 1080), false, false},
    };
    UpdaterModel m_updater{m_defaults, QUrl::fromLocalFile(u"/nonexistent/appcast.xml"_s)};
    HotKeyManager m_hotKeys{&m_settings, std::make_unique<X11HotKeyBackend>()};
    ConnectedDisplayList m_displayList{m_settings, [this] { return m_screens; }};
    HotKeyRecorder m_recorder{m_settings, &m_hotKeys, [](quint32) { return std::nullopt; }};
    std::unique_ptr<SettingsWindow> m_window;
};

TEST_F(SettingsViewTest, EachSwitchWritesItsSettingAndFollowsChangesFromElsewhere)
{
    const struct
    {
        QString row;
        bool (AppSettings::*read)() const;
        void (AppSettings::*write)(bool);
    } rows[] = {
        {u"launchAtLoginRow"_s, &AppSettings::launchAtLogin, &AppSettings::setLaunchAtLogin},
        {u"enableInFullScreenRow"_s, &AppSettings::enableInFullScreen, &AppSettings::setEnableInFullScreen},
        {u"soundFeedbackRow"_s, &AppSettings::soundFeedback, &AppSettings::setSoundFeedback},
        {u"animationsRow"_s, &AppSettings::animations, &AppSettings::setAnimations},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.row.toStdString());
        QQuickItem *toggle = switchOf(row.row);
        const bool before = (m_settings.*row.read)();
        EXPECT_EQ(checked(toggle), before);
        ASSERT_TRUE(click(toggle));
        EXPECT_EQ((m_settings.*row.read)(), !before) << "the click wrote the setting";
        // After a click the switch still follows the setting.
        (m_settings.*row.write)(before);
        EXPECT_EQ(checked(toggle), before);
    }
}

TEST_F(SettingsViewTest, TheWidthRowShowsWholePixelsAndResetsToTheDefault)
{
    EXPECT_EQ(text(u"panelWidthText"_s), u"384 像素");
    EXPECT_FALSE(find(u"resetPanelWidth"_s)->isEnabled());
    m_settings.setPanelWidth(500.7);
    EXPECT_EQ(text(u"panelWidthText"_s), u"500 像素");
    ASSERT_TRUE(click(find(u"resetPanelWidth"_s)));
    EXPECT_EQ(m_settings.panelWidth(), 384);
}

TEST_F(SettingsViewTest, NoTextSpeaksOfNotchesMenuBarsOrPoints)
{
    // Every text of every tab, shown or not yet (the all-displays-off note).
    QStringList texts;
    std::function<void(QQuickItem *)> walk = [&](QQuickItem *item) {
        for (const char *property : {"text", "title", "caption"})
            texts.append(item->property(property).toString());
        for (QQuickItem *child : item->childItems())
            walk(child);
    };
    walk(m_scene->contentItem());
    ASSERT_TRUE(texts.contains(u"吸附屏幕"_s));
    for (const QString &text : std::as_const(texts)) {
        EXPECT_FALSE(text.contains(u"刘海"_s) || text.contains(u"菜单栏"_s) || text.endsWith(u" pt"_s))
            << text.toStdString();
    }
}

TEST_F(SettingsViewTest, DisplaySwitchesEditTheSelectionAndResetToAutomatic)
{
    ASSERT_EQ(visibleItems(u"displayRow"_s).size(), 2);
    EXPECT_EQ(title(1), u"HDMI-1 · 右侧屏幕");
    // Automatic: only the default display shows a capsule.
    EXPECT_TRUE(checked(switchOf(u"displayRow"_s, 0)) && !checked(switchOf(u"displayRow"_s, 1)));
    EXPECT_FALSE(find(u"resetDisplays"_s)->isEnabled());

    // How each toggle edits the selection is the selection's own suite.
    ASSERT_TRUE(click(switchOf(u"displayRow"_s, 0)));
    EXPECT_TRUE(m_settings.displayAttachmentSelection().isDisabled());
    EXPECT_TRUE(isShown(u"allDisplaysOffNote"_s)) << "the note shows while no display is on";

    ASSERT_TRUE(click(find(u"resetDisplays"_s)));
    EXPECT_TRUE(m_settings.displayAttachmentSelection().isAutomatic());
    EXPECT_TRUE(checked(switchOf(u"displayRow"_s, 0)));
    EXPECT_FALSE(isShown(u"allDisplaysOffNote"_s));

    // A display plugged in shows up after a refresh.
    m_screens.append({u"third-id"_s, u"Beta 24"_s, QRectF(0, -1200, 1920, 1200), false, false});
    ASSERT_TRUE(click(find(u"refreshDisplays"_s)));
    EXPECT_EQ(visibleItems(u"displayRow"_s).size(), 3);
}

TEST_F(SettingsViewTest, TheRecorderTakesAKeyWithModifiersAndLetsGoOfTheGrabMeanwhile)
{
    QQuickItem *recorder = find(u"hotKeyRecorder"_s);
    EXPECT_EQ(text(u"hotKeyRecorder"_s), u"Ctrl+Alt+Space");
    ASSERT_TRUE(click(recorder));
    EXPECT_EQ(text(u"hotKeyRecorder"_s), u"按下快捷键…");
    EXPECT_TRUE(m_hotKeys.isSuspended()) << "the current shortcut must reach the recorder";
    // Neither a letter alone nor a modifier alone is a shortcut; Escape cancels.
    key(Qt::Key_A);
    key(Qt::Key_Control, Qt::ControlModifier);
    EXPECT_TRUE(m_recorder.isRecording());
    key(Qt::Key_Escape);
    EXPECT_FALSE(m_recorder.isRecording() || m_hotKeys.isSuspended());
    EXPECT_EQ(m_settings.hotKey(), GlobalHotKey::defaultHotKey());

    // Shift and a letter is accepted, the letter folded to its key. (Which keys
    // are refused, and why, is the recorder's own suite.)
    ASSERT_TRUE(click(recorder));
    key(Qt::Key_K, Qt::ShiftModifier);
    EXPECT_EQ(m_settings.hotKey(), GlobalHotKey(40, Modifier::Shift));
    EXPECT_EQ(text(u"hotKeyRecorder"_s), u"Shift+K");
    // Without X11 the row says why the key will not work.
    EXPECT_EQ(text(u"hotKeyHint"_s), m_hotKeys.registrationFailureText());
    ASSERT_TRUE(click(find(u"resetHotKey"_s)));
    EXPECT_EQ(m_settings.hotKey(), GlobalHotKey::defaultHotKey());

    // Hiding the window ends a recording and gives the key back.
    ASSERT_TRUE(click(recorder));
    m_scene->hide();
    EXPECT_FALSE(m_recorder.isRecording() || m_hotKeys.isSuspended());
}

TEST_F(SettingsViewTest, TheOtherTabsShowTheVersionTheCompanionAndWhyACheckFailed)
{
    ASSERT_TRUE(click(find(u"tabUpdate"_s)));
    EXPECT_EQ(text(u"versionText"_s), SettingsWindow::versionText());
    ASSERT_TRUE(click(find(u"checkForUpdates"_s)));
    ASSERT_TRUE(waitFor([&] { return m_updater.state() == UpdaterModel::State::Failed; }));
    EXPECT_FALSE(text(u"updateStatus"_s).isEmpty());

    ASSERT_TRUE(click(find(u"tabKelvarn"_s)));
    EXPECT_TRUE(waitFor([&] { return isShown(u"kelvarnHomepageLink"_s); }));
}

} // namespace
} // namespace holdra::test
