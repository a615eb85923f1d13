#include "Support/DisplayIdentity.h"

#include <QGuiApplication>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace holdra;
using Screen = DisplayIdentity::Screen;

namespace {

Screen monitor(const QString &connector, const QString &serial, std::optional<quint32> number = 1)
{
    return {connector, QStringLiteral("DEL"), QStringLiteral("DELL U2720Q"), serial, number};
}

QString idOf(const Screen &screen, const QList<Screen> &attached)
{
    return DisplayIdentity::identifier(screen, attached).value_or(QString());
}

} // namespace

TEST(DisplayIdentityTest, AMonitorWithASerialKeepsItsUuidOnAnyPortAndAcrossRuns)
{
    const Screen onHdmi = monitor(QStringLiteral("HDMI-1"), QStringLiteral("7QXHV43"), 66);
    const Screen onDisplayPort = monitor(QStringLiteral("DP-2"), QStringLiteral("7QXHV43"), 71);
    const QString id = idOf(onHdmi, {onHdmi});

    static const QRegularExpression canonical(
        QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-5[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}$"));
    EXPECT_TRUE(canonical.match(id).hasMatch()) << id.toStdString();
    EXPECT_EQ(idOf(onDisplayPort, {onDisplayPort}), id);
    EXPECT_EQ(idOf(onHdmi, {onHdmi, monitor(QStringLiteral("DP-1"), QStringLiteral("OTHER"))}), id);
    EXPECT_NE(idOf(monitor(QStringLiteral("HDMI-1"), QStringLiteral("7QXHV44")), {}), id);
}

TEST(DisplayIdentityTest, TwinMonitorsWithoutAUsableSerialStillDiffer)
{
    for (const QString &serial : {QString(), QStringLiteral("0"), QStringLiteral("00000000"), QStringLiteral("  "),
                                  QStringLiteral("SAME123")}) {
        const Screen left = monitor(QStringLiteral("DP-1"), serial, 1);
        const Screen right = monitor(QStringLiteral("DP-2"), serial, 2);
        const QStringList ids = DisplayIdentity::identifiers({left, right});
        ASSERT_EQ(ids.size(), 2);
        EXPECT_NE(ids[0], ids[1]) << "serial \"" << serial.toStdString() << '"';
        EXPECT_FALSE(ids[0].startsWith(QStringLiteral("runtime-")));
        // The order of the list does not change who is who.
        EXPECT_EQ(DisplayIdentity::identifiers({right, left}), (QStringList{ids[1], ids[0]}));
    }
}

TEST(DisplayIdentityTest, RuntimeNumberOnlyWithoutAnyEdidData)
{
    const Screen bare{QStringLiteral("VGA-1"), {}, {}, {}, 63};
    EXPECT_EQ(idOf(bare, {bare}), QStringLiteral("runtime-63"));

    const Screen modelOnly{QStringLiteral("VGA-1"), {}, QStringLiteral("Projector"), {}, 63};
    EXPECT_FALSE(idOf(modelOnly, {modelOnly}).startsWith(QStringLiteral("runtime-")));

    const Screen nothing{QStringLiteral("VGA-2"), {}, {}, {}, std::nullopt};
    EXPECT_FALSE(DisplayIdentity::identifier(nothing, {nothing}).has_value());
    EXPECT_EQ(DisplayIdentity::identifiers({nothing, bare}), QStringList{QStringLiteral("runtime-63")});
}

TEST(DisplayIdentityTest, EveryAttachedScreenGetsAnIdentifier)
{
    const QStringList ids = DisplayIdentity::currentIdentifiers();
    ASSERT_EQ(ids.size(), QGuiApplication::screens().size());
    EXPECT_EQ(DisplayIdentity::identifier(QGuiApplication::primaryScreen()), ids.front());
}
