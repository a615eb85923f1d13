#include "Desktop/DisplayIdentity.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace holdra;
using namespace Qt::StringLiterals;
using Screen = DisplayIdentity::Screen;

namespace {

Screen monitor(const QString &connector, const QString &serial)
{
    return {connector, u"DEL"_s, u"DELL U2720Q"_s, serial};
}

QString idOf(const Screen &screen)
{
    return DisplayIdentity::identifier(screen).value_or(QString());
}

} // namespace

// The identifier of a monitor depends on its own EDID data and connector only,
// so plugging a twin in or out elsewhere never changes it.
TEST(DisplayIdentityTest, EdidDataAndConnectorMakeAStableUuidThatTellsTwinsApart)
{
    const QString id = idOf(monitor(u"HDMI-1"_s, u"7QXHV43"_s));
    static const QRegularExpression canonical(
        u"^[0-9A-F]{8}-[0-9A-F]{4}-5[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}$"_s);
    EXPECT_TRUE(canonical.match(id).hasMatch()) << id.toStdString();
    EXPECT_EQ(idOf(monitor(u"HDMI-1"_s, u" 7QXHV43 "_s)), id);

    for (const QString &serial : {QString(), u"0"_s, u"SAME123"_s}) {
        const QString left = idOf(monitor(u"DP-1"_s, serial));
        const QString right = idOf(monitor(u"DP-2"_s, serial));
        EXPECT_NE(left, right) << "serial \"" << serial.toStdString() << '"';
        EXPECT_FALSE(left.startsWith(u"runtime-"_s));
    }
    EXPECT_NE(idOf(monitor(u"HDMI-1"_s, u"7QXHV44"_s)), id);
}

TEST(DisplayIdentityTest, AScreenWithoutEdidDataIsKnownByItsName)
{
    EXPECT_EQ(idOf({u"VGA-1"_s, {}, {}, {}}), u"runtime-VGA-1"_s);
    EXPECT_FALSE(idOf({u"VGA-1"_s, {}, u"Projector"_s, {}}).startsWith(u"runtime-"));
    const Screen nameless{{}, {}, {}, {}};
    EXPECT_FALSE(DisplayIdentity::identifier(nameless).has_value());
    EXPECT_EQ(DisplayIdentity::identifiers({nameless, {u"left"_s, {}, {}, {}}}), QStringList{u"runtime-left"_s});
}
