#include "Settings/QSettingsUserDefaults.h"
#include "TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace holdra;
using namespace Qt::StringLiterals;

// QSettings caches parsed files per path inside the process, with their types intact,
// so each check reads a copy under a new name: only what the file on disk holds, as
// the next launch of the application would.
TEST(QSettingsUserDefaultsTest, ValuesSurviveTheFileWithTheirKinds)
{
    test::TempDir dir;
    const QString path = dir.filePath(u"Holdra.ini"_s);
    const QByteArray hotKey = R"({"keyCode":49,"modifiers":6})";
    {
        QSettingsUserDefaults defaults(path);
        defaults.setBool(u"flag"_s, false);
        defaults.setDouble(u"width"_s, 720.5);
        defaults.setString(u"mode"_s, u"selected"_s);
        defaults.setStringList(u"none"_s, {});
        defaults.setStringList(u"one"_s, {u"runtime-2"_s});
        defaults.setStringList(u"two"_s, {u"A, B"_s, u"C"_s});
        defaults.setData(u"data"_s, hotKey);
    }
    const QString copy = dir.filePath(u"copy.ini"_s);
    ASSERT_TRUE(QFile::copy(path, copy));
    const QSettingsUserDefaults reread(copy);
    EXPECT_EQ(reread.boolValue(u"flag"_s), false);
    EXPECT_EQ(reread.doubleValue(u"width"_s), 720.5);
    EXPECT_EQ(reread.stringValue(u"mode"_s), u"selected"_s);
    EXPECT_EQ(reread.stringListValue(u"none"_s), QStringList());
    EXPECT_EQ(reread.stringListValue(u"one"_s), QStringList{u"runtime-2"_s});
    EXPECT_EQ(reread.stringListValue(u"two"_s), (QStringList{u"A, B"_s, u"C"_s}));
    EXPECT_EQ(reread.dataValue(u"data"_s), hotKey);
    EXPECT_EQ(reread.stringListValue(u"missing"_s), std::nullopt);
}

TEST(QSettingsUserDefaultsTest, TheApplicationsFileIsHoldraIniUnderTheConfigDirectory)
{
    test::TempDir dir;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    QSettingsUserDefaults().setBool(u"settings.soundFeedback"_s, false);
    EXPECT_EQ(QSettingsUserDefaults(dir.filePath(u"Holdra/Holdra.ini"_s)).boolValue(u"settings.soundFeedback"_s),
              false);
}

TEST(QSettingsUserDefaultsTest, HandEditedValuesOfTheWrongKindReadAsNothing)
{
    test::TempDir dir;
    const QSettingsUserDefaults defaults(
        dir.write(u"Holdra.ini"_s, "[General]\nflag=yes\nwidth=wide\ndata=plain text\n"));
    EXPECT_TRUE(defaults.contains(u"flag"_s));
    EXPECT_EQ(defaults.boolValue(u"flag"_s), std::nullopt);
    EXPECT_EQ(defaults.doubleValue(u"width"_s), std::nullopt);
    EXPECT_EQ(defaults.dataValue(u"data"_s), std::nullopt);
}
