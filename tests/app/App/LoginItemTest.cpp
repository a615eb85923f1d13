#include "App/LoginItem.h"
#include "MessageLog.h"
#include "TempDir.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace holdra;
using namespace Qt::StringLiterals;

namespace {

class LoginItemTest : public ::testing::Test
{
protected:
    void SetUp() override { qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit()); }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", m_previous); }

    QByteArray entry() const
    {
        QFile file(LoginItem::autostartEntryPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void writeEntry(const QByteArray &contents, const QString &name = u"com.tessavel.Holdra.desktop"_s)
    {
        config.write(u"autostart/"_s + name, contents);
    }

    test::TempDir config;
    const QByteArray m_previous = qgetenv("XDG_CONFIG_HOME");
};

} // namespace

TEST_F(LoginItemTest, EnablingWritesOneEntryUnderTheConfigHomeAndDisablingRemovesIt)
{
    EXPECT_EQ(LoginItem::autostartEntryPath(), config.filePath(u"autostart/com.tessavel.Holdra.desktop"_s));
    EXPECT_FALSE(LoginItem::isEnabled());
    LoginItem::setEnabled(false);
    EXPECT_FALSE(QFileInfo::exists(LoginItem::autostartEntryPath()));

    LoginItem::setEnabled(true);
    EXPECT_TRUE(LoginItem::isEnabled());
    // The program that wrote it, not whichever "holdra" comes first on the PATH.
    const QString program = QCoreApplication::applicationFilePath();
    EXPECT_TRUE(entry().contains(("Exec=" + LoginItem::execValue(program) + "\n").toUtf8()));
    EXPECT_TRUE(QFileInfo(program).isAbsolute());
    EXPECT_TRUE(entry().startsWith("[Desktop Entry]\n"));

    // Enabling again leaves the user's own edits alone.
    writeEntry(entry() + "X-Edited=yes\n");
    LoginItem::setEnabled(true);
    EXPECT_TRUE(entry().contains("X-Edited=yes"));

    LoginItem::setEnabled(false);
    EXPECT_FALSE(LoginItem::isEnabled());
    EXPECT_FALSE(QFileInfo::exists(LoginItem::autostartEntryPath()));
}

// An entry the desktop switched off counts as disabled; one under the older
// name counts as enabled. Either is replaced by enabling, removed by disabling.
TEST_F(LoginItemTest, SwitchedOffAndOlderEntriesAreReadAndReplaced)
{
    for (const QByteArray off : {"Hidden=true", "X-GNOME-Autostart-enabled=false"}) {
        writeEntry("[Desktop Entry]\nType=Application\nExec=holdra\n" + off + "\n");
        EXPECT_FALSE(LoginItem::isEnabled()) << off.constData();
        LoginItem::setEnabled(true);
        EXPECT_TRUE(LoginItem::isEnabled());
        EXPECT_FALSE(entry().contains(off));
    }

    const QString older = config.filePath(u"autostart/holdra.desktop"_s);
    for (const bool enable : {true, false}) {
        LoginItem::setEnabled(false);
        writeEntry("[Desktop Entry]\nType=Application\nExec=holdra\n", u"holdra.desktop"_s);
        EXPECT_TRUE(LoginItem::isEnabled());
        LoginItem::setEnabled(enable);
        EXPECT_FALSE(QFileInfo::exists(older));
        EXPECT_EQ(LoginItem::isEnabled(), enable);
    }
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
    config.write(u"autostart"_s, "not a directory");
    test::MessageLog log;
    LoginItem::setEnabled(true);
    EXPECT_FALSE(LoginItem::isEnabled());
    ASSERT_EQ(log.count(u"[Holdra] 登录项设置失败："_s), 1);
    EXPECT_TRUE(log.lines().front().startsWith(u"[Holdra] 登录项设置失败："_s));
}
