#include "Desktop/DisplayIdentity.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace holdra;
using namespace Qt::StringLiterals;
using Screen = DisplayIdentity::Screen;

namespace {

QString idOf(const QString &connector, const QString &serial, const QString &model = u"DELL U2720Q"_s)
{
    return DisplayIdentity::identifier({connector, u"DEL"_s, model, serial}).value_or(QString());
}

} // namespace

// The identifier of a monitor depends on its own EDID data and connector only,
// so plugging a twin in or out elsewhere never changes it.
TEST(DisplayIdentityTest, EdidDataAndConnectorMakeAStableUuidThatTellsTwinsApart)
{
    const QString id = idOf(u"HDMI-1"_s, u"7QXHV43"_s);
    static const QRegularExpression canonical(
        u"^[0-9A-F]{8}-[0-9A-F]{4}-5[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}$"_s);
    EXPECT_TRUE(canonical.match(id).hasMatch()) << id.toStdString();
    EXPECT_EQ(idOf(u"HDMI-1"_s, u" 7QXHV43 "_s), id);
    EXPECT_NE(idOf(u"HDMI-1"_s, u"7QXHV44"_s), id);
    for (const QString &serial : {QString(), u"0"_s, u"SAME123"_s}) {
        EXPECT_NE(idOf(u"DP-1"_s, serial), idOf(u"DP-2"_s, serial)) << "serial \"" << serial.toStdString() << '"';
        EXPECT_TRUE(canonical.match(idOf(u"DP-1"_s, serial)).hasMatch());
    }

    // A screen without EDID data is known by its name; one without a name at all is skipped.
    EXPECT_EQ(DisplayIdentity::identifier({u"VGA-1"_s, {}, {}, {}}), u"runtime-VGA-1"_s);
    EXPECT_TRUE(canonical.match(DisplayIdentity::identifier({u"VGA-1"_s, {}, u"Projector"_s, {}}).value_or(QString()))
                    .hasMatch());
    const Screen nameless{{}, {}, {}, {}};
    EXPECT_FALSE(DisplayIdentity::identifier(nameless).has_value());
    EXPECT_EQ(DisplayIdentity::identifiers({nameless, {u"left"_s, {}, {}, {}}}), QStringList{u"runtime-left"_s});
}
