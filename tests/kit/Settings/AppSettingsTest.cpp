#include "Settings/AppSettings.h"
#include "Settings/InMemoryUserDefaults.h"
#include "Settings/QSettingsUserDefaults.h"
#include "TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

#include <limits>

using namespace holdra;
using Selection = DisplayAttachmentSelection;
using Modifier = GlobalHotKey::Modifier;

namespace {

const QString modeKey = QStringLiteral("settings.displayAttachmentMode");
const QString idsKey = QStringLiteral("settings.attachedDisplayIDs");
const QString widthKey = QStringLiteral("settings.panelWidth");
const QString hotKeyKey = QStringLiteral("settings.globalHotKey");

struct BoolSetting
{
    const char *key;
    bool defaultValue;
    bool (AppSettings::*get)() const;
    void (AppSettings::*set)(bool);
};

const BoolSetting boolSettings[] = {
    {"settings.launchAtLogin", false, &AppSettings::launchAtLogin, &AppSettings::setLaunchAtLogin},
    {"settings.enableInFullScreen", false, &AppSettings::enableInFullScreen, &AppSettings::setEnableInFullScreen},
    {"settings.soundFeedback", true, &AppSettings::soundFeedback, &AppSettings::setSoundFeedback},
    {"settings.animations", true, &AppSettings::animations, &AppSettings::setAnimations},
};

} // namespace

TEST(AppSettingsTest, AnEmptyDomainGivesTheDefaultsAndReadingWritesNothing)
{
    InMemoryUserDefaults defaults;
    const AppSettings settings(defaults);
    for (const BoolSetting &b : boolSettings)
        EXPECT_EQ((settings.*b.get)(), b.defaultValue) << b.key;
    EXPECT_EQ(settings.panelWidth(), 384);
    EXPECT_EQ(settings.displayAttachmentSelection(), Selection::automatic());
    EXPECT_EQ(settings.hotKey(), GlobalHotKey(49, Modifier::Control | Modifier::Option));
    EXPECT_TRUE(defaults.values().isEmpty());
}

TEST(AppSettingsTest, BooleansOfAnotherTypeFallBackAndSettersWriteBooleans)
{
    for (const BoolSetting &b : boolSettings) {
        InMemoryUserDefaults defaults;
        const QString key = QString::fromLatin1(b.key);
        defaults.setValue(key, b.defaultValue ? 0 : 1);
        AppSettings settings(defaults);
        EXPECT_EQ((settings.*b.get)(), b.defaultValue) << b.key;

        (settings.*b.set)(!b.defaultValue);
        EXPECT_EQ(defaults.value(key), QVariant(!b.defaultValue)) << b.key;
        EXPECT_EQ((AppSettings(defaults).*b.get)(), !b.defaultValue) << b.key;
    }
}

TEST(AppSettingsTest, PanelWidthIsClampedWhenReadAndWhenSet)
{
    const struct
    {
        QVariant stored;
        double expected;
    } reads[] = {
        {100.0, 320},
        {1000.0, 720},
        {320.0, 320},
        {320.5, 320.5},
        {720.0, 720},
        {720.5, 720},
        {QStringLiteral("wide"), 320}, // present but not a number reads as 0
        {std::numeric_limits<double>::quiet_NaN(), 384},
        {-std::numeric_limits<double>::infinity(), 320},
    };
    for (const auto &r : reads) {
        InMemoryUserDefaults defaults;
        defaults.setValue(widthKey, r.stored);
        EXPECT_EQ(AppSettings(defaults).panelWidth(), r.expected) << r.stored.toString().toStdString();
        // Compared as text, so that NaN equals itself.
        EXPECT_EQ(defaults.value(widthKey).toString(), r.stored.toString()) << "reading rewrote the width";
    }

    InMemoryUserDefaults defaults;
    AppSettings settings(defaults);
    const struct
    {
        double requested;
        double stored;
    } writes[] = {{320, 320}, {720.5, 720}, {0, 320}, {500.25, 500.25},
                  {std::numeric_limits<double>::quiet_NaN(), 384}};
    for (const auto &w : writes) {
        settings.setPanelWidth(w.requested);
        EXPECT_EQ(settings.panelWidth(), w.stored);
        EXPECT_EQ(defaults.value(widthKey), QVariant(w.stored));
    }
    settings.setPanelWidth(600);
    settings.resetPanelWidth();
    EXPECT_EQ(defaults.value(widthKey), QVariant(384.0));
}

TEST(AppSettingsTest, ReadsTheDisplayAttachment)
{
    const struct
    {
        QVariant mode;
        QVariant ids;
        Selection expected;
    } cases[] = {
        {QStringLiteral("disabled"), QStringList{"A"}, Selection::disabled()},
        {QStringLiteral("automatic"), QStringList{"A"}, Selection::automatic()},
        {QStringLiteral("selected"), QStringList{}, Selection::automatic()},
        {QStringLiteral("selected"), QStringList{"B", "A"}, Selection::selected({"A", "B"})},
        {{}, QStringList{"B", "A"}, Selection::selected({"A", "B"})},
        {QStringLiteral("sideways"), QStringList{"C"}, Selection::selected({"C"})},
        {42, QStringList{"C"}, Selection::selected({"C"})},
        {QStringLiteral("selected"), QStringLiteral("A"), Selection::automatic()},
        {{}, {}, Selection::automatic()},
    };
    for (const auto &c : cases) {
        InMemoryUserDefaults defaults;
        if (c.mode.isValid())
            defaults.setValue(modeKey, c.mode);
        if (c.ids.isValid())
            defaults.setValue(idsKey, c.ids);
        EXPECT_EQ(AppSettings(defaults).displayAttachmentSelection(), c.expected)
            << c.mode.toString().toStdString() << " / " << c.ids.toStringList().join(',').toStdString();
    }
}

TEST(AppSettingsTest, WritesTheDisplayAttachment)
{
    InMemoryUserDefaults defaults;
    AppSettings settings(defaults);
    const auto stored = [&] {
        return std::pair(defaults.value(modeKey).toString(), defaults.value(idsKey).toStringList());
    };

    settings.setDisplayAttachmentSelection(Selection::selected({"2", "10"}));
    EXPECT_EQ(stored(), std::pair(QStringLiteral("selected"), QStringList{"10", "2"}));
    EXPECT_EQ(settings.attachedDisplayIDs(), (QSet<QString>{"2", "10"}));

    settings.setDisplayAttachmentSelection(Selection::selected({}));
    EXPECT_EQ(settings.displayAttachmentSelection(), Selection::disabled());
    EXPECT_EQ(stored(), std::pair(QStringLiteral("disabled"), QStringList{}));
    EXPECT_TRUE(settings.attachedDisplayIDs().isEmpty());

    settings.setAttachedDisplayIDs({"A"});
    EXPECT_EQ(stored(), std::pair(QStringLiteral("selected"), QStringList{"A"}));

    settings.setAttachedDisplayIDs({});
    EXPECT_EQ(settings.displayAttachmentSelection(), Selection::automatic());
    EXPECT_EQ(stored(), std::pair(QStringLiteral("automatic"), QStringList{}));

    settings.setDisplayAttachmentSelection(Selection::disabled());
    settings.resetAttachedDisplays();
    EXPECT_EQ(stored(), std::pair(QStringLiteral("automatic"), QStringList{}));
    EXPECT_EQ(defaults.value(idsKey).metaType(), QMetaType::fromType<QStringList>());
}

TEST(AppSettingsTest, AnUndecodableHotKeyReadsAsTheDefaultAndIsKept)
{
    InMemoryUserDefaults defaults;
    defaults.setValue(hotKeyKey, QByteArray("{\"keyCode\":"));
    AppSettings settings(defaults);
    EXPECT_EQ(settings.hotKey(), GlobalHotKey::defaultHotKey());
    EXPECT_EQ(defaults.value(hotKeyKey), QVariant(QByteArray("{\"keyCode\":")));

    settings.setHotKey({40, Modifier::Command});
    EXPECT_EQ(defaults.value(hotKeyKey), QVariant(QByteArray(R"({"keyCode":40,"modifiers":1})")));
    settings.resetHotKey();
    EXPECT_EQ(AppSettings(defaults).hotKey(), GlobalHotKey::defaultHotKey());
}

TEST(AppSettingsTest, EveryAssignmentNotifiesWithTheStoredValue)
{
    InMemoryUserDefaults defaults;
    AppSettings settings(defaults);
    QList<double> widths;
    int selections = 0;
    int hotKeys = 0;
    int sounds = 0;
    QObject::connect(&settings, &AppSettings::panelWidthChanged, [&](double w) { widths.append(w); });
    QObject::connect(&settings, &AppSettings::displayAttachmentSelectionChanged, [&] { ++selections; });
    QObject::connect(&settings, &AppSettings::hotKeyChanged, [&] { ++hotKeys; });
    QObject::connect(&settings, &AppSettings::soundFeedbackChanged, [&] { ++sounds; });

    settings.setPanelWidth(384);
    settings.setPanelWidth(2000);
    settings.resetAttachedDisplays();
    settings.setHotKey(settings.hotKey());
    settings.setSoundFeedback(true);
    EXPECT_EQ(widths, (QList<double>{384, 720}));
    EXPECT_EQ(selections, 1);
    EXPECT_EQ(hotKeys, 1);
    EXPECT_EQ(sounds, 1);
}

TEST(AppSettingsTest, AnObserverAssigningAgainHasTheLastWord)
{
    InMemoryUserDefaults defaults;
    AppSettings settings(defaults);
    QObject::connect(&settings, &AppSettings::panelWidthChanged, &settings, [&](double w) {
        if (w > 600)
            settings.setPanelWidth(600);
    });
    settings.setPanelWidth(700);
    EXPECT_EQ(settings.panelWidth(), 600);
    EXPECT_EQ(defaults.value(widthKey), QVariant(600.0));
}

TEST(AppSettingsTest, EverySettingSurvivesTheSettingsFile)
{
    test::TempDir dir;
    const QString path = dir.filePath(QStringLiteral("Holdra.ini"));
    {
        QSettingsUserDefaults defaults(path);
        AppSettings settings(defaults);
        settings.setLaunchAtLogin(true);
        settings.setEnableInFullScreen(true);
        settings.setSoundFeedback(false);
        settings.setAnimations(false);
        settings.setPanelWidth(455.5);
        settings.setAttachedDisplayIDs({"runtime-2"});
        settings.setHotKey({0, Modifier::Command | Modifier::Shift});
    }
    // A copy under another name is read from disk, not from QSettings' in-process cache.
    const QString copy = dir.filePath(QStringLiteral("copy.ini"));
    ASSERT_TRUE(QFile::copy(path, copy));
    QSettingsUserDefaults defaults(copy);
    const AppSettings settings(defaults);
    EXPECT_TRUE(settings.launchAtLogin());
    EXPECT_TRUE(settings.enableInFullScreen());
    EXPECT_FALSE(settings.soundFeedback());
    EXPECT_FALSE(settings.animations());
    EXPECT_EQ(settings.panelWidth(), 455.5);
    EXPECT_EQ(settings.displayAttachmentSelection(), Selection::selected({"runtime-2"}));
    EXPECT_EQ(settings.hotKey(), GlobalHotKey(0, Modifier::Command | Modifier::Shift));
}
