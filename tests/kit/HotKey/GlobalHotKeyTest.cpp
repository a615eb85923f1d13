#include "HotKey/GlobalHotKey.h"
#include "Settings/InMemoryUserDefaults.h"

#include <gtest/gtest.h>

using namespace holdra;
using Modifier = GlobalHotKey::Modifier;

namespace {

constexpr GlobalHotKey::Modifiers allModifiers =
    Modifier::Command | Modifier::Option | Modifier::Control | Modifier::Shift;

} // namespace

TEST(GlobalHotKeyTest, DisplayStringPutsGlyphsInFixedOrderBeforeTheKeyName)
{
    const struct
    {
        GlobalHotKey hotKey;
        QString expected;
    } cases[] = {
        {GlobalHotKey::defaultHotKey(), QStringLiteral("⌃⌥Space")},
        {{0, allModifiers}, QStringLiteral("⌃⌥⇧⌘A")},
        {{122, {}}, QStringLiteral("Key122")},
        {{6, Modifier::Command | Modifier::Shift}, QStringLiteral("⇧⌘Z")},
        {{29, Modifier::Option}, QStringLiteral("⌥0")},
        {{25, {}}, QStringLiteral("9")},
        {{51, Modifier::Control}, QStringLiteral("⌃Delete")},
        {{53, {}}, QStringLiteral("Esc")},
        {{123, {}}, QStringLiteral("←")},
        {{126, {}}, QStringLiteral("↑")},
        // Bits that are no modifier are kept but not shown.
        {{36, GlobalHotKey::Modifiers::fromInt(0x10 | 4)}, QStringLiteral("⌃Return")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.hotKey.displayString(), c.expected) << c.hotKey.keyCode();
}

TEST(GlobalHotKeyTest, KeySequenceTextSpellsModifiersTheLinuxWay)
{
    EXPECT_EQ(GlobalHotKey::defaultHotKey().keySequenceText(), QStringLiteral("Ctrl+Alt+Space"));
    EXPECT_EQ(GlobalHotKey(0, allModifiers).keySequenceText(), QStringLiteral("Ctrl+Alt+Shift+Super+A"));
    EXPECT_EQ(GlobalHotKey(123, Modifier::Command).keySequenceText(), QStringLiteral("Super+Left"));
    EXPECT_EQ(GlobalHotKey(51, Modifier::Control).keySequenceText(), QStringLiteral("Ctrl+Backspace"));
    EXPECT_EQ(GlobalHotKey(122, {}).keySequenceText(), QStringLiteral("F1"));
    EXPECT_EQ(GlobalHotKey(200, {}).keySequenceText(), QStringLiteral("Key200"));
    // The stored glyph form is untouched by it.
    EXPECT_EQ(GlobalHotKey(0, allModifiers).displayString(), QStringLiteral("⌃⌥⇧⌘A"));
}

// Every key of the table is grabbed by its keysym and recorded back to its code;
// only the Mac's 45 named keys have a glyph name, the others show their code.
TEST(GlobalHotKeyTest, EveryTableKeyHasAKeysymThatLeadsBackToIt)
{
    int grabbable = 0;
    int macNamed = 0;
    for (quint32 code = 0; code < 256; ++code) {
        const GlobalHotKey hotKey(code, {});
        const auto keysym = hotKey.x11Keysym();
        EXPECT_EQ(keysym.has_value(), !hotKey.keySequenceText().startsWith(QLatin1String("Key"))) << code;
        if (!hotKey.displayString().startsWith(QLatin1String("Key"))) {
            ++macNamed;
            EXPECT_TRUE(keysym) << code;
        }
        if (keysym) {
            ++grabbable;
            EXPECT_EQ(GlobalHotKey::keyCodeForX11Keysym(*keysym), code) << code;
        }
    }
    EXPECT_EQ(macNamed, 9 + 26 + 10);
    // Punctuation 12, F1–F20, keypad 18, navigation and editing 6, volume 3.
    EXPECT_EQ(grabbable, 45 + 12 + 20 + 18 + 6 + 3);

    const struct
    {
        quint32 code;
        quint32 keysym;
    } cases[] = {{49, 0x20}, {51, 0xff08} /* the Mac's Delete is BackSpace */, {117, 0xffff}, {0, 'a'},
                 {122, 0xffbe}, {90, 0xffd1}, {92, 0xffb9}, {116, 0xff55}, {42, '\\'}};
    for (const auto &c : cases)
        EXPECT_EQ(GlobalHotKey(c.code, {}).x11Keysym(), c.keysym) << c.code;
}

TEST(GlobalHotKeyTest, RecordedKeysymsFoldShiftedAndNavigationFormsOntoTheirKey)
{
    const struct
    {
        quint32 keysym;
        std::optional<quint32> code;
    } cases[] = {
        {'Q', 12}, {'q', 12}, {0xfe20, 48},      // ISO_Left_Tab
        {0xffbe, 122}, {0xffc9, 111},             // F1, F12
        {0xff95, 89}, {0xffb7, 89},               // KP_Home and KP_7: the keypad's 7
        {0xff9f, 65},                             // KP_Delete: the keypad's decimal key
        {0xff6a, 114},                            // Help
        {0xff61, std::nullopt}, {0xff13, std::nullopt}, // Print and Pause: no Mac key
    };
    for (const auto &c : cases)
        EXPECT_EQ(GlobalHotKey::keyCodeForX11Keysym(c.keysym), c.code) << c.keysym;
}

TEST(GlobalHotKeyTest, ModifiersMapToX11MasksAndFromQt)
{
    EXPECT_EQ(GlobalHotKey(0, Modifier::Command).x11ModifierMask(), 0x40u);
    EXPECT_EQ(GlobalHotKey(0, Modifier::Control | Modifier::Shift).x11ModifierMask(), 0x05u);
    EXPECT_EQ(GlobalHotKey::defaultHotKey().x11ModifierMask(), 0x0cu);
    EXPECT_EQ(GlobalHotKey(0, allModifiers).x11ModifierMask(), 0x4du);
    EXPECT_EQ(GlobalHotKey(0, {}).x11ModifierMask(), 0u);

    EXPECT_EQ(GlobalHotKey::modifiersFromQt(Qt::MetaModifier | Qt::ShiftModifier),
              Modifier::Command | Modifier::Shift);
    EXPECT_EQ(GlobalHotKey::modifiersFromQt(Qt::ControlModifier | Qt::AltModifier
                                            | Qt::KeypadModifier),
              Modifier::Control | Modifier::Option);
    EXPECT_EQ(GlobalHotKey::modifiersFromQt(Qt::NoModifier), GlobalHotKey::Modifiers());
}

TEST(GlobalHotKeyTest, JsonFormIsTheStoredEncoding)
{
    EXPECT_EQ(GlobalHotKey::defaultHotKey().toJson(), QByteArray(R"({"keyCode":49,"modifiers":6})"));

    const GlobalHotKey extreme(4294967295u, GlobalHotKey::Modifiers::fromInt(4294967295u));
    EXPECT_EQ(GlobalHotKey::fromJson(extreme.toJson()), extreme);
    EXPECT_EQ(GlobalHotKey::fromJson(R"({ "modifiers": 9, "keyCode": 0, "extra": true })"),
              GlobalHotKey(0, Modifier::Command | Modifier::Shift));

    for (const char *bad : {"", "not json", "[49,6]", R"({"keyCode":49})",
                            R"({"keyCode":"49","modifiers":6})", R"({"keyCode":-1,"modifiers":6})",
                            R"({"keyCode":49.5,"modifiers":6})", R"({"keyCode":4294967296,"modifiers":6})",
                            R"({"keyCode":49,"modifiers":[2,4]})"})
        EXPECT_EQ(GlobalHotKey::fromJson(bad), std::nullopt) << bad;
}

TEST(GlobalHotKeyTest, SavesAndLoadsThroughTheDefaults)
{
    InMemoryUserDefaults defaults;
    EXPECT_EQ(GlobalHotKey::load(defaults), std::nullopt);

    const GlobalHotKey hotKey(40, Modifier::Command | Modifier::Shift);
    hotKey.save(defaults);
    EXPECT_EQ(defaults.value(QStringLiteral("settings.globalHotKey")),
              QVariant(QByteArray(R"({"keyCode":40,"modifiers":9})")));
    EXPECT_EQ(GlobalHotKey::load(defaults), hotKey);

    defaults.setValue(QStringLiteral("settings.globalHotKey"), QStringLiteral(R"({"keyCode":40,"modifiers":9})"));
    EXPECT_EQ(GlobalHotKey::load(defaults), std::nullopt);
}
