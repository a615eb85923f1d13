#include "Settings/InMemoryUserDefaults.h"

#include <gtest/gtest.h>

using namespace holdra;

TEST(InMemoryUserDefaultsTest, GettersAnswerOnlyForTheirOwnType)
{
    InMemoryUserDefaults defaults;
    defaults.setValue(QStringLiteral("flag"), QStringLiteral("true"));
    defaults.setValue(QStringLiteral("count"), 3);
    defaults.setValue(QStringLiteral("text"), QByteArray("bytes"));

    EXPECT_EQ(defaults.boolValue(QStringLiteral("flag")), std::nullopt);
    EXPECT_EQ(defaults.doubleValue(QStringLiteral("count")), 3.0);
    EXPECT_EQ(defaults.stringValue(QStringLiteral("text")), std::nullopt);
    EXPECT_EQ(defaults.dataValue(QStringLiteral("text")), QByteArray("bytes"));
    EXPECT_EQ(defaults.stringListValue(QStringLiteral("count")), std::nullopt);
    EXPECT_EQ(defaults.doubleValue(QStringLiteral("missing")), std::nullopt);
}
