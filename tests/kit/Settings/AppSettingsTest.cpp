#include "Settings/AppSettings.h"
#include "QtPrinters.h"
#include "Settings/InMemoryUserDefaults.h"

#include <gtest/gtest.h>

#include <limits>

using namespace holdra;
using namespace Qt::StringLiterals;
using Selection = DisplayAttachmentSelection;
using Modifier = GlobalHotKey::Modifier;

namespace {

const QString modeKey = u"settings.displayAttachmentMode"_s;
const QString idsKey = u"settings.attachedDisplayIDs"_s;
const QString widthKey = u"settings.panelWidth"_s;
const QString hotKeyKey = u"settings.globalHotKey"_s;
const QString A = u"A"_s, B = u"B"_s, C = u"C"_s;

struct BoolSetting
{
    QString key;
    bool defaultValue;
    bool (AppSettings::*get)() const;
    void (AppSettings::*set)(bool);
};

} // namespace

// An empty domain gives the defaults and reading writes nothing; a boolean stored
// as another type reads as its default; setters store real booleans.
TEST(AppSettingsTest, DefaultsAndBooleans)
{
    InMemoryUserDefaults empty;
    const AppSettings fresh(empty);
    EXPECT_EQ(fresh.panelWidth(), 384);
    EXPECT_EQ(fresh.displayAttachmentSelection(), Selection::automatic());
    EXPECT_EQ(fresh.hotKey(), GlobalHotKey(49, Modifier::Control | Modifier::Option));
    const BoolSetting booleans[] = {
        {u"settings.launchAtLogin"_s, false, &AppSettings::launchAtLogin, &AppSettings::setLaunchAtLogin},
        {u"settings.enableInFullScreen"_s, false, &AppSettings::enableInFullScreen,
         &AppSettings::setEnableInFullScreen},
        {u"settings.soundFeedback"_s, true, &AppSettings::soundFeedback, &AppSettings::setSoundFeedback},
        {u"settings.animations"_s, true, &AppSettings::animations, &AppSettings::setAnimations},
    };
    for (const BoolSetting &b : booleans) {
        EXPECT_EQ((fresh.*b.get)(), b.defaultValue) << qPrintable(b.key);
        InMemoryUserDefaults defaults;
        defaults.setValue(b.key, b.defaultValue ? 0 : 1);
        AppSettings settings(defaults);
        EXPECT_EQ((settings.*b.get)(), b.defaultValue) << qPrintable(b.key);
        (settings.*b.set)(!b.defaultValue);
        EXPECT_EQ(defaults.value(b.key), QVariant(!b.defaultValue)) << qPrintable(b.key);
    }
    EXPECT_TRUE(empty.values().isEmpty());
}

TEST(AppSettingsTest, PanelWidthIsClampedWhenReadAndWhenSet)
{
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double infinity = std::numeric_limits<double>::infinity();
    const std::pair<QVariant, double> stored[] = {{100.0, 320}, {1000.0, 720},    {320.5, 320.5},
                                                  {720.5, 720}, {u"wide"_s, 320}, // present but not a number reads as 0
                                                  {nan, 384},   {-infinity, 320}};
    for (const auto &[value, expected] : stored) {
        InMemoryUserDefaults defaults;
        defaults.setValue(widthKey, value);
        EXPECT_EQ(AppSettings(defaults).panelWidth(), expected) << qPrintable(value.toString());
        // Compared as text, so that NaN equals itself.
        EXPECT_EQ(defaults.value(widthKey).toString(), value.toString()) << "reading rewrote the width";
    }
    InMemoryUserDefaults defaults;
    AppSettings settings(defaults);
    QList<double> told;
    QObject::connect(&settings, &AppSettings::panelWidthChanged, [&](double width) { told.append(width); });
    for (const auto &[requested, kept] :
         std::initializer_list<std::pair<double, double>>{{720.5, 720}, {0, 320}, {500.25, 500.25}, {nan, 384}}) {
        settings.setPanelWidth(requested);
        EXPECT_EQ(settings.panelWidth(), kept);
        EXPECT_EQ(defaults.value(widthKey), QVariant(kept));
        EXPECT_EQ(told.value(told.size() - 1), kept) << "the panel is told the width it gets";
    }
    settings.setPanelWidth(600);
    settings.resetPanelWidth();
    EXPECT_EQ(defaults.value(widthKey), QVariant(384.0));
}

TEST(AppSettingsTest, TheDisplayAttachmentIsReadLeniently)
{
    const struct
    {
        QVariant mode;
        QVariant ids;
        Selection expected;
    } cases[] = {
        {u"disabled"_s, QStringList{A}, Selection::disabled()},
        {u"selected"_s, QStringList{}, Selection::automatic()},
        {u"selected"_s, QStringList{B, A}, Selection::selected({A, B})},
        {{}, QStringList{B, A}, Selection::selected({A, B})},
        {u"sideways"_s, QStringList{C}, Selection::selected({C})},
        {u"selected"_s, A, Selection::automatic()},
        {{}, {}, Selection::automatic()},
    };
    for (const auto &c : cases) {
        InMemoryUserDefaults defaults;
        if (c.mode.isValid())
            defaults.setValue(modeKey, c.mode);
        if (c.ids.isValid())
            defaults.setValue(idsKey, c.ids);
        EXPECT_EQ(AppSettings(defaults).displayAttachmentSelection(), c.expected)
            << qPrintable(c.mode.toString()) << " / " << qPrintable(c.ids.toStringList().join(u','));
    }
}

// Written as a mode and a sorted list; an empty choice is "disabled", while clearing
// the attached displays returns to "automatic".
TEST(AppSettingsTest, TheDisplayAttachmentIsWrittenAsModeAndSortedList)
{
    InMemoryUserDefaults defaults;
    AppSettings settings(defaults);
    const auto stored = [&]() -> QString {
        return defaults.value(modeKey).toString() + u':' + defaults.value(idsKey).toStringList().join(u',');
    };
    settings.setDisplayAttachmentSelection(Selection::selected({u"2"_s, u"10"_s}));
    EXPECT_EQ(stored(), u"selected:10,2"_s);
    settings.setDisplayAttachmentSelection(Selection::selected({}));
    EXPECT_EQ(settings.displayAttachmentSelection(), Selection::disabled());
    EXPECT_EQ(stored(), u"disabled:"_s);
    settings.setAttachedDisplayIDs({A});
    EXPECT_EQ(stored(), u"selected:A"_s);
    settings.setAttachedDisplayIDs({});
    EXPECT_EQ(stored(), u"automatic:"_s);
    settings.setDisplayAttachmentSelection(Selection::disabled());
    settings.resetAttachedDisplays();
    EXPECT_EQ(stored(), u"automatic:"_s);
    EXPECT_EQ(defaults.value(idsKey).metaType(), QMetaType::fromType<QStringList>());
}

// The hot key is JSON data; an undecodable value (or the JSON as a string) reads as
// the default and is kept, not overwritten.
TEST(AppSettingsTest, TheHotKeyIsStoredAsJsonData)
{
    for (const QVariant &unreadable :
         {QVariant(QByteArray("{\"keyCode\":")), QVariant(u"{\"keyCode\":40,\"modifiers\":1}"_s)}) {
        InMemoryUserDefaults defaults;
        defaults.setValue(hotKeyKey, unreadable);
        EXPECT_EQ(AppSettings(defaults).hotKey(), GlobalHotKey::defaultHotKey());
        EXPECT_EQ(defaults.value(hotKeyKey), unreadable);
    }
    InMemoryUserDefaults defaults;
    AppSettings settings(defaults);
    settings.setHotKey({40, Modifier::Command});
    EXPECT_EQ(AppSettings(defaults).hotKey(), GlobalHotKey(40, Modifier::Command));
    settings.resetHotKey();
    EXPECT_EQ(AppSettings(defaults).hotKey(), GlobalHotKey::defaultHotKey());
}
