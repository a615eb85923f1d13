#include "App/LoginItem.h"
#include "MessageLog.h"
#include "TempDir.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace holdra;

namespace {

class LoginItemTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_previous = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", m_previous); }

    QByteArray entry() const
    {
        QFile file(LoginItem::autostartEntryPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    test::TempDir config;

private:
    QByteArray m_previous;
};

} // namespace

TEST_F(LoginItemTest, EnablingWritesOneEntryUnderTheConfigHomeAndDisablingRemovesIt)
{
    EXPECT_EQ(LoginItem::autostartEntryPath(), config.filePath(QStringLiteral("autostart/com.tessavel.Holdra.desktop")));
    EXPECT_FALSE(LoginItem::isEnabled());
    LoginItem::setEnabled(false);
    EXPECT_FALSE(QFileInfo::exists(LoginItem::autostartEntryPath()));

    LoginItem::setEnabled(true);
    EXPECT_TRUE(LoginItem::isEnabled());
    // The program that wrote it, not whichever "holdra" comes first on the PATH.
    EXPECT_TRUE(entry().contains(("Exec=" + LoginItem::execValue(QCoreApplication::applicationFilePath()) + "\n").toUtf8()));
    EXPECT_TRUE(QFileInfo(QCoreApplication::applicationFilePath()).isAbsolute());
    EXPECT_TRUE(entry().startsWith("[Desktop Entry]\n"));

    // Enabling again leaves the user's own edits alone.
    config.write(QStringLiteral("autostart/com.tessavel.Holdra.desktop"), entry() + "X-Edited=yes\n");
    LoginItem::setEnabled(true);
    EXPECT_TRUE(entry().contains("X-Edited=yes"));

    LoginItem::setEnabled(false);
    EXPECT_FALSE(LoginItem::isEnabled());
    EXPECT_FALSE(QFileInfo::exists(LoginItem::autostartEntryPath()));
}

TEST_F(LoginItemTest, AnEntrySwitchedOffByTheDesktopCountsAsDisabledAndIsReplaced)
{
    config.write(QStringLiteral("autostart/com.tessavel.Holdra.desktop"), "[Desktop Entry]\nType=Application\nExec=holdra\nHidden=true\n");
    EXPECT_FALSE(LoginItem::isEnabled());
    config.write(QStringLiteral("autostart/com.tessavel.Holdra.desktop"),
                 "[Desktop Entry]\nType=Application\nExec=holdra\nX-GNOME-Autostart-enabled=false\n");
    EXPECT_FALSE(LoginItem::isEnabled());

    LoginItem::setEnabled(true);
    EXPECT_TRUE(LoginItem::isEnabled());
    EXPECT_FALSE(entry().contains("Autostart-enabled=false"));
}

TEST_F(LoginItemTest, AnOlderEntryCountsAndIsReplacedOrRemoved)
{
    config.write(QStringLiteral("autostart/holdra.desktop"), "[Desktop Entry]\nType=Application\nExec=holdra\n");
    EXPECT_TRUE(LoginItem::isEnabled());
    LoginItem::setEnabled(true);
    EXPECT_FALSE(QFileInfo::exists(config.filePath(QStringLiteral("autostart/holdra.desktop"))));
    EXPECT_TRUE(LoginItem::isEnabled());

    config.write(QStringLiteral("autostart/holdra.desktop"), "[Desktop Entry]\nType=Application\nExec=holdra\n");
    LoginItem::setEnabled(false);
    EXPECT_FALSE(LoginItem::isEnabled());
    EXPECT_FALSE(QFileInfo::exists(config.filePath(QStringLiteral("autostart/holdra.desktop"))));
}

TEST(LoginItemExecTest, ProgramPathsAreQuotedAsDesktopEntriesWantThem)
{
    const std::pair<const char *, const char *> cases[] = {
        {"/usr/bin/holdra", "/usr/bin/holdra"},
        {"/opt/My Apps/holdra", "\"/opt/My Apps/holdra\""},
        {"/home/a$b/holdra", "\"/home/a\\\\$b/holdra\""},
        {"/home/50%/holdra", "/home/50%%/holdra"},
        {"/tmp/\"q\"/holdra", "\"/tmp/\\\\\"q\\\\\"/holdra\""},
    };
    for (const auto &[program, expected] : cases)
        EXPECT_EQ(LoginItem::execValue(QString::fromUtf8(program)), QString::fromUtf8(expected)) << program;
}

TEST_F(LoginItemTest, AFailureIsLoggedAndLeavesTheEntryAsItWas)
{
    // A file where the autostart directory should be: nothing can be written.
    config.write(QStringLiteral("autostart"), "not a directory");
    test::MessageLog log;
    LoginItem::setEnabled(true);
    EXPECT_FALSE(LoginItem::isEnabled());
    ASSERT_EQ(log.count(QStringLiteral("[Holdra] 登录项设置失败：")), 1);
    EXPECT_TRUE(log.lines().front().startsWith(QStringLiteral("[Holdra] 登录项设置失败：")));
}
