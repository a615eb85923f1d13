#include "App/LoginItem.h"
#include "MessageLog.h"
#include "TempDir.h"

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
    EXPECT_EQ(LoginItem::autostartEntryPath(), config.filePath(QStringLiteral("autostart/holdra.desktop")));
    EXPECT_FALSE(LoginItem::isEnabled());
    LoginItem::setEnabled(false);
    EXPECT_FALSE(QFileInfo::exists(LoginItem::autostartEntryPath()));

    LoginItem::setEnabled(true);
    EXPECT_TRUE(LoginItem::isEnabled());
    EXPECT_TRUE(entry().contains("Exec=holdra\n"));
    EXPECT_TRUE(entry().startsWith("[Desktop Entry]\n"));

    // Enabling again leaves the user's own edits alone.
    config.write(QStringLiteral("autostart/holdra.desktop"), entry() + "X-Edited=yes\n");
    LoginItem::setEnabled(true);
    EXPECT_TRUE(entry().contains("X-Edited=yes"));

    LoginItem::setEnabled(false);
    EXPECT_FALSE(LoginItem::isEnabled());
    EXPECT_FALSE(QFileInfo::exists(LoginItem::autostartEntryPath()));
}

TEST_F(LoginItemTest, AnEntrySwitchedOffByTheDesktopCountsAsDisabledAndIsReplaced)
{
    config.write(QStringLiteral("autostart/holdra.desktop"), "[Desktop Entry]\nType=Application\nExec=holdra\nHidden=true\n");
    EXPECT_FALSE(LoginItem::isEnabled());
    config.write(QStringLiteral("autostart/holdra.desktop"),
                 "[Desktop Entry]\nType=Application\nExec=holdra\nX-GNOME-Autostart-enabled=false\n");
    EXPECT_FALSE(LoginItem::isEnabled());

    LoginItem::setEnabled(true);
    EXPECT_TRUE(LoginItem::isEnabled());
    EXPECT_FALSE(entry().contains("Autostart-enabled=false"));
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
