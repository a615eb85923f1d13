#include "Settings/QSettingsUserDefaults.h"
#include "TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace holdra;

namespace {

// QSettings caches parsed files per path inside the process, with their types intact.
// Reading a copy under a new name sees only what the file on disk holds, as the next
// launch of the application would.
QString copyOf(const test::TempDir &dir, const QString &file, const QString &copyName)
{
    const QString copy = dir.filePath(copyName);
    QFile::copy(file, copy);
    return copy;
}

} // namespace

TEST(QSettingsUserDefaultsTest, ValuesSurviveTheRoundTripThroughTheFile)
{
    test::TempDir dir;
    const QString path = dir.filePath(QStringLiteral("Holdra.ini"));
    {
        QSettingsUserDefaults defaults(path);
        defaults.setBool(QStringLiteral("settings.flag"), false);
        defaults.setDouble(QStringLiteral("settings.width"), 720.5);
        defaults.setString(QStringLiteral("settings.mode"), QStringLiteral("selected"));
        defaults.setStringList(QStringLiteral("settings.none"), {});
        defaults.setStringList(QStringLiteral("settings.one"), {QStringLiteral("runtime-2")});
        defaults.setStringList(QStringLiteral("settings.two"),
                               {QStringLiteral("A, B"), QStringLiteral("C")});
        defaults.setData(QStringLiteral("settings.data"), QByteArray(R"({"keyCode":49,"modifiers":6})"));
    }

    const QSettingsUserDefaults reread(copyOf(dir, path, QStringLiteral("copy.ini")));
    EXPECT_EQ(reread.boolValue(QStringLiteral("settings.flag")), false);
    EXPECT_EQ(reread.doubleValue(QStringLiteral("settings.width")), 720.5);
    EXPECT_EQ(reread.stringValue(QStringLiteral("settings.mode")), QStringLiteral("selected"));
    EXPECT_EQ(reread.stringListValue(QStringLiteral("settings.none")), QStringList());
    EXPECT_EQ(reread.stringListValue(QStringLiteral("settings.one")),
              QStringList{QStringLiteral("runtime-2")});
    EXPECT_EQ(reread.stringListValue(QStringLiteral("settings.two")),
              (QStringList{QStringLiteral("A, B"), QStringLiteral("C")}));
    EXPECT_EQ(reread.dataValue(QStringLiteral("settings.data")),
              QByteArray(R"({"keyCode":49,"modifiers":6})"));
    EXPECT_FALSE(reread.contains(QStringLiteral("settings.missing")));
    EXPECT_EQ(reread.stringListValue(QStringLiteral("settings.missing")), std::nullopt);
}

TEST(QSettingsUserDefaultsTest, TheApplicationsDefaultsLiveInHoldraIniUnderTheConfigDirectory)
{
    test::TempDir dir;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    {
        QSettingsUserDefaults defaults;
        defaults.setBool(QStringLiteral("settings.soundFeedback"), false);
    }
    const QString file = dir.filePath(QStringLiteral("Holdra/Holdra.ini"));
    ASSERT_TRUE(QFile::exists(file));
    const QSettingsUserDefaults reread(file);
    EXPECT_EQ(reread.boolValue(QStringLiteral("settings.soundFeedback")), false);
}

TEST(QSettingsUserDefaultsTest, HandEditedValuesOfTheWrongKindReadAsNothing)
{
    test::TempDir dir;
    const QString path = dir.write(QStringLiteral("Holdra.ini"),
                                   "[General]\n"
                                   "settings.flag=yes\n"
                                   "settings.width=wide\n"
                                   "settings.data=plain text\n");
    const QSettingsUserDefaults defaults(path);

    EXPECT_TRUE(defaults.contains(QStringLiteral("settings.flag")));
    EXPECT_EQ(defaults.boolValue(QStringLiteral("settings.flag")), std::nullopt);
    EXPECT_EQ(defaults.doubleValue(QStringLiteral("settings.width")), std::nullopt);
    EXPECT_EQ(defaults.dataValue(QStringLiteral("settings.data")), std::nullopt);
}
