#include "Support/PrivateDirectory.h"
#include "TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace holdra;
using namespace Qt::StringLiterals;

namespace {

mode_t modeOf(const QString &path)
{
    return test::fileStatus(path).st_mode & 07777;
}

} // namespace

TEST(PrivateDirectoryTest, MakesEveryNewLevelPrivateAndTightensOurOwn)
{
    test::TempDir dir;
    const QString root = dir.path() + u"/runtime/Holdra"_s;
    ASSERT_EQ(PrivateDirectory::make(root, u"HoldraDrag/ID"_s), QString());
    for (const char *level :
         {"/runtime", "/runtime/Holdra", "/runtime/Holdra/HoldraDrag", "/runtime/Holdra/HoldraDrag/ID"})
        EXPECT_EQ(modeOf(dir.path() + QLatin1String(level)), 0700u) << level;

    ::chmod(QFile::encodeName(root).constData(), 0755);
    ASSERT_EQ(PrivateDirectory::make(root, u"HoldraDrag"_s), QString());
    EXPECT_EQ(modeOf(root), 0700u);
}

TEST(PrivateDirectoryTest, RefusesWhatAnotherUserCouldHavePlanted)
{
    test::TempDir dir;
    const QString elsewhere = dir.mkdir(u"elsewhere"_s);
    const QString link = dir.filePath(u"link"_s);
    ASSERT_TRUE(QFile::link(elsewhere, link));
    EXPECT_NE(PrivateDirectory::make(link), QString());
    EXPECT_NE(PrivateDirectory::make(dir.path(), u"link/inner"_s), QString());
    EXPECT_FALSE(QFileInfo::exists(elsewhere + u"/inner"_s));
    EXPECT_NE(PrivateDirectory::make(dir.write(u"file"_s, {})), QString());
}

TEST(PrivateDirectoryTest, RefusesAnotherUsersDirectory)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "handing a directory to another user needs root";
    test::TempDir dir;
    const QString foreign = dir.mkdir(u"foreign"_s);
    ASSERT_EQ(::chown(QFile::encodeName(foreign).constData(), 65534, 65534), 0);
    EXPECT_NE(PrivateDirectory::make(foreign, u"HoldraRecording"_s), QString());
    EXPECT_FALSE(QFileInfo::exists(foreign + u"/HoldraRecording"_s));
}
