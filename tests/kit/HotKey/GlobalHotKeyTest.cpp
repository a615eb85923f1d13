#include "HotKey/GlobalHotKey.h"

#include <gtest/gtest.h>

using namespace holdra;
using namespace Qt::StringLiterals;
using Modifier = GlobalHotKey::Modifier;

namespace {

constexpr GlobalHotKey::Modifiers allModifiers =
    Modifier::Command | Modifier::Option | Modifier::Control | Modifier::Shift;

} // namespace

TEST(GlobalHotKeyTest, ShowsTheLinuxSpelling)
{
    const struct
    {
        GlobalHotKey hotKey;
        QString linux;
    } cases[] = {
        {GlobalHotKey::defaultHotKey(), u"Ctrl+Alt+Space"_s},
        {{0, allModifiers}, u"Ctrl+Alt+Shift+Super+A"_s},
        {{122, {}}, u"F1"_s},
        {{123, Modifier::Command}, u"Super+Left"_s},
        {{51, Modifier::Control}, u"Ctrl+Backspace"_s},
        {{200, {}}, u"Key200"_s},
        // Bits that are no modifier are kept but not shown.
        {{36, GlobalHotKey::Modifiers::fromInt(0x10 | 4)}, u"Ctrl+Return"_s},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.hotKey.keySequenceText(), c.linux) << c.hotKey.keyCode();
}

// A key is grabbed by its keysym and recorded back to its code: every key that has
// a keysym must lead back to itself.
TEST(GlobalHotKeyTest, EveryGrabbableKeyRecordsBackToItself)
{
    for (quint32 code = 0; code < 256; ++code) {
        const GlobalHotKey hotKey(code, {});
        const auto keysym = hotKey.x11Keysym();
        EXPECT_EQ(keysym.has_value(), !hotKey.keySequenceText().startsWith("Key"_L1)) << code;
        if (keysym) {
            EXPECT_EQ(GlobalHotKey::keyCodeForX11Keysym(*keysym), code) << code;
        }
    }
    // The Mac's Delete is BackSpace, its Space the space bar.
    EXPECT_EQ(GlobalHotKey(51, {}).x11Keysym(), 0xff08u);
    EXPECT_EQ(GlobalHotKey(49, {}).x11Keysym(), 0x20u);

    const struct
    {
        quint32 keysym;
        std::optional<quint32> code;
    } recorded[] = {
        {'Q', 12},
        {'q', 12},
        {0xfe20, 48}, // ISO_Left_Tab is Tab
        {0xff95, 89},
        {0xffb7, 89}, // KP_Home and KP_7: the keypad's 7
        {0xff9f, 65}, // KP_Delete: the keypad's decimal key
        {0xff61, std::nullopt},
        {0xff13, std::nullopt}, // Print and Pause: no Mac key
    };
    for (const auto &c : recorded)
        EXPECT_EQ(GlobalHotKey::keyCodeForX11Keysym(c.keysym), c.code) << c.keysym;

    // Meta is Super; the keypad flag of a recorded key is no modifier.
    EXPECT_EQ(GlobalHotKey::modifiersFromQt(Qt::MetaModifier | Qt::ShiftModifier), Modifier::Command | Modifier::Shift);
    EXPECT_EQ(GlobalHotKey::modifiersFromQt(Qt::ControlModifier | Qt::AltModifier | Qt::KeypadModifier),
              Modifier::Control | Modifier::Option);
}

TEST(GlobalHotKeyTest, StoredAsJson)
{
    EXPECT_EQ(GlobalHotKey::defaultHotKey().toJson(), R"({"keyCode":49,"modifiers":6})");
    const GlobalHotKey extreme(4294967295u, GlobalHotKey::Modifiers::fromInt(4294967295u));
    EXPECT_EQ(GlobalHotKey::fromJson(extreme.toJson()), extreme);
    EXPECT_EQ(GlobalHotKey::fromJson(R"({ "modifiers": 9, "keyCode": 0, "extra": true })"),
              GlobalHotKey(0, Modifier::Command | Modifier::Shift));
    for (const char *bad : {"", "not json", "[49,6]", R"({"keyCode":49})", R"({"keyCode":"49","modifiers":6})",
                            R"({"keyCode":-1,"modifiers":6})", R"({"keyCode":49.5,"modifiers":6})",
                            R"({"keyCode":4294967296,"modifiers":6})", R"({"keyCode":49,"modifiers":[2,4]})"})
        EXPECT_EQ(GlobalHotKey::fromJson(bad), std::nullopt) << bad;
}
