#include "Support/AppPaths.h"
#include "TempDir.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace holdra;

TEST(AppPathsTest, FollowsXdgDataHomeWithoutCreatingAnything)
{
    test::TempDir dir;
    const QByteArray previous = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", dir.path().toUtf8());

    const QString support = QDir(dir.path()).filePath(QStringLiteral("Holdra"));
    EXPECT_EQ(AppPaths::supportDirectory(), support);
    EXPECT_EQ(AppPaths::filesDirectory(), support + QStringLiteral("/Files"));
    EXPECT_EQ(AppPaths::metadataPath(), support + QStringLiteral("/metadata.json"));
    EXPECT_EQ(AppPaths::trashMetadataPath(), support + QStringLiteral("/trash.json"));
    EXPECT_FALSE(QDir(support).exists());

    qputenv("XDG_DATA_HOME", previous);
}
