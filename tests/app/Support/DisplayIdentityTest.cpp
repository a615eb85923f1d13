#include "Support/DisplayIdentity.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace holdra;
using Screen = DisplayIdentity::Screen;

namespace {

Screen monitor(const QString &connector, const QString &serial)
{
    return {connector, QStringLiteral("DEL"), QStringLiteral("DELL U2720Q"), serial};
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
    const QString id = idOf(monitor(QStringLiteral("HDMI-1"), QStringLiteral("7QXHV43")));
    static const QRegularExpression canonical(
        QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-5[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}$"));
    EXPECT_TRUE(canonical.match(id).hasMatch()) << id.toStdString();
    EXPECT_EQ(idOf(monitor(QStringLiteral("HDMI-1"), QStringLiteral(" 7QXHV43 "))), id);

    for (const QString &serial : {QString(), QStringLiteral("0"), QStringLiteral("SAME123")}) {
        const QString left = idOf(monitor(QStringLiteral("DP-1"), serial));
        const QString right = idOf(monitor(QStringLiteral("DP-2"), serial));
        EXPECT_NE(left, right) << "serial \"" << serial.toStdString() << '"';
        EXPECT_FALSE(left.startsWith(QStringLiteral("runtime-")));
    }
    EXPECT_NE(idOf(monitor(QStringLiteral("HDMI-1"), QStringLiteral("7QXHV44"))), id);
}

TEST(DisplayIdentityTest, AScreenWithoutEdidDataIsKnownByItsName)
{
    EXPECT_EQ(idOf({QStringLiteral("VGA-1"), {}, {}, {}}), QStringLiteral("runtime-VGA-1"));
    EXPECT_FALSE(idOf({QStringLiteral("VGA-1"), {}, QStringLiteral("Projector"), {}}).startsWith(u"runtime-"));
    const Screen nameless{{}, {}, {}, {}};
    EXPECT_FALSE(DisplayIdentity::identifier(nameless).has_value());
    EXPECT_EQ(DisplayIdentity::identifiers({nameless, {QStringLiteral("left"), {}, {}, {}}}),
              QStringList{QStringLiteral("runtime-left")});
}
