#include "Settings/DisplayAttachmentSelection.h"

#include <QMetaEnum>
#include <gtest/gtest.h>

using namespace holdra;
using namespace Qt::StringLiterals;
using Selection = DisplayAttachmentSelection;

namespace {

const QString A = u"A"_s;
const QString B = u"B"_s;
const QString C = u"C"_s;
const std::optional<QString> none;

} // namespace

// Lets failures print a selection, for example "Selected{A,B}".
namespace holdra {
void PrintTo(const Selection &s, std::ostream *os)
{
    QStringList ids = s.selectedDisplayIDs().values();
    ids.sort();
    *os << QMetaEnum::fromType<Selection::Mode>().valueToKey(int(s.mode())) << '{' << ids.join(u',').toStdString()
        << '}';
}
} // namespace holdra

TEST(DisplayAttachmentSelectionTest, ResolvesToConnectedDisplaysInSystemOrder)
{
    const struct
    {
        Selection selection;
        QStringList available;
        std::optional<QString> defaultID;
        QStringList expected;
    } cases[] = {
        {Selection::automatic(), {A, B}, B, {B}},
        {Selection::automatic(), {A, B}, none, {A}},
        {Selection::automatic(), {A, B}, C, {A}},
        {Selection::automatic(), {}, A, {}},
        {Selection::disabled(), {A, B}, A, {}},
        {Selection::selected({}), {A, B}, A, {}},
        {Selection::selected({B, A}), {A, B}, A, {A, B}},
        {Selection::selected({C, B}), {A, B}, A, {B}},
        // Every chosen display disconnected: the capsule falls back to the default.
        {Selection::selected({C}), {A, B}, B, {B}},
        {Selection::selected({C}), {A, B}, none, {A}},
        {Selection::selected({C}), {}, none, {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.selection.resolvedIDs(c.available, c.defaultID), c.expected)
            << testing::PrintToString(c.selection) << " over " << c.available.join(u',').toStdString();
}

TEST(DisplayAttachmentSelectionTest, TogglingDisplays)
{
    const QStringList available{A, B};
    const struct
    {
        Selection from;
        QString display;
        bool enabled;
        std::optional<QString> defaultID;
        Selection expected;
    } cases[] = {
        {Selection::automatic(), B, true, A, Selection::selected({A, B})},
        {Selection::selected({A, B}), A, false, A, Selection::selected({B})},
        {Selection::selected({B}), B, false, A, Selection::disabled()},
        {Selection::disabled(), A, true, A, Selection::automatic()},
        {Selection::disabled(), B, true, A, Selection::selected({B})},
        {Selection::disabled(), A, true, none, Selection::selected({A})},
        {Selection::selected({A, B}), B, false, A, Selection::automatic()},
        // Switching off the automatic display leaves nothing on.
        {Selection::automatic(), A, false, A, Selection::disabled()},
        // Disconnected displays cannot be toggled.
        {Selection::automatic(), C, true, A, Selection::automatic()},
        {Selection::selected({A, C}), C, false, A, Selection::selected({A, C})},
        // Remembered disconnected displays survive edits of connected ones...
        {Selection::selected({B, C}), A, true, A, Selection::selected({A, B, C})},
        // ...but do not keep the selection alive alone.
        {Selection::selected({B, C}), B, false, A, Selection::disabled()},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.from.togglingDisplay(c.display, c.enabled, available, c.defaultID), c.expected)
            << testing::PrintToString(c.from) << (c.enabled ? " +" : " -") << c.display.toStdString();
}

TEST(DisplayAttachmentSelectionTest, PanelDisplaysSkipUnavailableOnes)
{
    const QStringList available{A, B, C};
    EXPECT_EQ(Selection::transientPanelDisplayID(A, available, B, {}), A);
    EXPECT_EQ(Selection::transientPanelDisplayID(A, available, B, {A}), B);
    EXPECT_EQ(Selection::transientPanelDisplayID(u"gone"_s, available, B, {B}), A);
    EXPECT_EQ(Selection::transientPanelDisplayID(none, available, none, {A}), B);
    EXPECT_EQ(Selection::transientPanelDisplayID(A, available, B, {A, B, C}), none);
    EXPECT_EQ(Selection::transientPanelDisplayID(A, {}, B, {}), none);

    EXPECT_EQ(Selection::shortcutPanelDisplayID(B, available, {A}), B);
    EXPECT_EQ(Selection::shortcutPanelDisplayID(B, available, {B}), none);
    EXPECT_EQ(Selection::shortcutPanelDisplayID(u"gone"_s, available, {}), none);
    EXPECT_EQ(Selection::shortcutPanelDisplayID(none, available, {}), none);
}

TEST(DisplayAttachmentSelectionTest, PointLookupIncludesMinimumEdgesOnly)
{
    const QList<Selection::DisplayFrame> frames{
        {A, QRectF(0, 0, 1920, 1080)},
        {B, QRectF(1920, -360, 2560, 1440)},
        {C, QRectF(0, 0, 100, 100)}, // overlapped by A, which comes first
    };
    EXPECT_EQ(Selection::displayID({0, 0}, frames), A);
    EXPECT_EQ(Selection::displayID({50, 50}, frames), A);
    EXPECT_EQ(Selection::displayID({1919.5, 1079.5}, frames), A);
    EXPECT_EQ(Selection::displayID({1920, 0}, frames), B);
    EXPECT_EQ(Selection::displayID({2000, 1080}, frames), none);
    EXPECT_EQ(Selection::displayID({-1, 10}, frames), none);
}
