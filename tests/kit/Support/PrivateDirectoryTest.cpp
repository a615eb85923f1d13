#include "Support/PrivateDirectory.h"
#include "TempDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace holdra;

namespace {

mode_t modeOf(const QString &path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

} // namespace

TEST(PrivateDirectoryTest, MakesEveryNewLevelPrivateAndTightensOurOwn)
{
    test::TempDir dir;
    const QString root = dir.path() + QStringLiteral("/runtime/Holdra");
    ASSERT_EQ(PrivateDirectory::make(root, QStringLiteral("HoldraDrag/ID")), QString());
    for (const char *level : {"/runtime", "/runtime/Holdra", "/runtime/Holdra/HoldraDrag", "/runtime/Holdra/HoldraDrag/ID"})
        EXPECT_EQ(modeOf(dir.path() + QLatin1String(level)), 0700u) << level;

    ::chmod(QFile::encodeName(root).constData(), 0755);
    ASSERT_EQ(PrivateDirectory::make(root, QStringLiteral("HoldraDrag")), QString());
    EXPECT_EQ(modeOf(root), 0700u);
}

TEST(PrivateDirectoryTest, RefusesWhatAnotherUserCouldHavePlanted)
{
    test::TempDir dir;
    const QString elsewhere = dir.path() + QStringLiteral("/elsewhere");
    ASSERT_TRUE(QDir().mkpath(elsewhere));

    const QString link = dir.path() + QStringLiteral("/link");
    ASSERT_TRUE(QFile::link(elsewhere, link));
    EXPECT_NE(PrivateDirectory::make(link), QString());
    EXPECT_NE(PrivateDirectory::make(dir.path(), QStringLiteral("link/inner")), QString());
    EXPECT_FALSE(QFileInfo::exists(elsewhere + QStringLiteral("/inner")));

    const QString file = dir.path() + QStringLiteral("/file");
    QFile(file).open(QIODevice::WriteOnly);
    EXPECT_NE(PrivateDirectory::make(file), QString());

    if (::geteuid() == 0) {
        const QString foreign = dir.path() + QStringLiteral("/foreign");
        ASSERT_TRUE(QDir().mkpath(foreign));
        ASSERT_EQ(::chown(QFile::encodeName(foreign).constData(), 65534, 65534), 0);
        EXPECT_NE(PrivateDirectory::make(foreign, QStringLiteral("HoldraRecording")), QString());
        EXPECT_FALSE(QFileInfo::exists(foreign + QStringLiteral("/HoldraRecording")));
    }
}
