#include "Settings/AppSettings.h"
#include "Settings/InMemoryUserDefaults.h"

#include <QSignalSpy>
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
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double infinity = std::numeric_limits<double>::infinity();
    for (const auto &[stored, expected] :
         std::initializer_list<std::pair<QVariant, double>>{{100.0, 320},
                                                            {1000.0, 720},
                                                            {320.0, 320},
                                                            {320.5, 320.5},
                                                            {720.0, 720},
                                                            {720.5, 720},
                                                            {u"wide"_s, 320}, // present but not a number reads as 0
                                                            {nan, 384},
                                                            {-infinity, 320}}) {
        InMemoryUserDefaults defaults;
        defaults.setValue(widthKey, stored);
        EXPECT_EQ(AppSettings(defaults).panelWidth(), expected) << stored.toString().toStdString();
        // Compared as text, so that NaN equals itself.
        EXPECT_EQ(defaults.value(widthKey).toString(), stored.toString()) << "reading rewrote the width";
    }

    InMemoryUserDefaults defaults;
    AppSettings settings(defaults);
    for (const auto &[requested, stored] : std::initializer_list<std::pair<double, double>>{
             {320, 320}, {720.5, 720}, {0, 320}, {500.25, 500.25}, {nan, 384}}) {
        settings.setPanelWidth(requested);
        EXPECT_EQ(settings.panelWidth(), stored);
        EXPECT_EQ(defaults.value(widthKey), QVariant(stored));
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
        {u"disabled"_s, QStringList{"A"}, Selection::disabled()},
        {u"automatic"_s, QStringList{"A"}, Selection::automatic()},
        {u"selected"_s, QStringList{}, Selection::automatic()},
        {u"selected"_s, QStringList{"B", "A"}, Selection::selected({"A", "B"})},
        {{}, QStringList{"B", "A"}, Selection::selected({"A", "B"})},
        {u"sideways"_s, QStringList{"C"}, Selection::selected({"C"})},
        {42, QStringList{"C"}, Selection::selected({"C"})},
        {u"selected"_s, u"A"_s, Selection::automatic()},
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
    EXPECT_EQ(stored(), std::pair(u"selected"_s, QStringList{"10", "2"}));
    EXPECT_EQ(settings.attachedDisplayIDs(), (QSet<QString>{"2", "10"}));

    settings.setDisplayAttachmentSelection(Selection::selected({}));
    EXPECT_EQ(settings.displayAttachmentSelection(), Selection::disabled());
    EXPECT_EQ(stored(), std::pair(u"disabled"_s, QStringList{}));
    EXPECT_TRUE(settings.attachedDisplayIDs().isEmpty());

    settings.setAttachedDisplayIDs({"A"});
    EXPECT_EQ(stored(), std::pair(u"selected"_s, QStringList{"A"}));

    settings.setAttachedDisplayIDs({});
    EXPECT_EQ(settings.displayAttachmentSelection(), Selection::automatic());
    EXPECT_EQ(stored(), std::pair(u"automatic"_s, QStringList{}));

    settings.setDisplayAttachmentSelection(Selection::disabled());
    settings.resetAttachedDisplays();
    EXPECT_EQ(stored(), std::pair(u"automatic"_s, QStringList{}));
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
    QObject::connect(&settings, &AppSettings::panelWidthChanged, [&](double w) { widths.append(w); });
    const QSignalSpy selections(&settings, &AppSettings::displayAttachmentSelectionChanged);
    const QSignalSpy hotKeys(&settings, &AppSettings::hotKeyChanged);
    const QSignalSpy sounds(&settings, &AppSettings::soundFeedbackChanged);

    settings.setPanelWidth(384);
    settings.setPanelWidth(2000);
    settings.resetAttachedDisplays();
    settings.setHotKey(settings.hotKey());
    settings.setSoundFeedback(true);
    EXPECT_EQ(widths, (QList<double>{384, 720}));
    EXPECT_EQ(selections.size(), 1);
    EXPECT_EQ(hotKeys.size(), 1);
    EXPECT_EQ(sounds.size(), 1);

    // An observer that assigns again has the last word.
    QObject::connect(&settings, &AppSettings::panelWidthChanged, &settings, [&](double w) {
        if (w > 600)
            settings.setPanelWidth(600);
    });
    settings.setPanelWidth(700);
    EXPECT_EQ(settings.panelWidth(), 600);
    EXPECT_EQ(defaults.value(widthKey), QVariant(600.0));
}
