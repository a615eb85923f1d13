#include "App/LoginItem.h"
#include "MessageLog.h"
#include "TempDir.h"

#include <QCoreApplication>
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

    test::TempDir config;
    const QByteArray m_previous = qgetenv("XDG_CONFIG_HOME");
};

} // namespace

TEST_F(LoginItemTest, EnablingWritesOneEntryUnderTheConfigHomeAndDisablingRemovesIt)
{
    EXPECT_EQ(LoginItem::autostartEntryPath(), config.filePath(u"autostart/com.tessavel.Holdra.desktop"_s));
    EXPECT_FALSE(LoginItem::isEnabled());
    LoginItem::setEnabled(true);
    EXPECT_TRUE(LoginItem::isEnabled());
    // The program that wrote it, not whichever "holdra" comes first on the PATH.
    EXPECT_TRUE(entry().startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(entry().contains(
        QByteArray("\nExec=" + LoginItem::execValue(QCoreApplication::applicationFilePath()).toUtf8() + '\n')));
    // Enabling again leaves the user's own edits alone.
    config.write(u"autostart/com.tessavel.Holdra.desktop"_s, entry() + "X-Edited=yes\n");
    LoginItem::setEnabled(true);
    EXPECT_TRUE(entry().contains("X-Edited=yes"));

    // An entry the desktop switched off counts as disabled; one under the older
    // name counts as enabled. Either is replaced by enabling, removed by disabling.
    const struct
    {
        QString name;
        QByteArray line;
        bool enabled, enable;
    } found[] = {
        {u"com.tessavel.Holdra.desktop"_s, "Hidden=true", false, true},
        {u"com.tessavel.Holdra.desktop"_s, "X-GNOME-Autostart-enabled=false", false, true},
        {u"holdra.desktop"_s, "X-Older=yes", true, false},
    };
    for (const auto &f : found) {
        LoginItem::setEnabled(false);
        EXPECT_FALSE(QFileInfo::exists(LoginItem::autostartEntryPath()));
        const QString path =
            config.write(u"autostart/"_s + f.name, "[Desktop Entry]\nType=Application\nExec=holdra\n" + f.line + '\n');
        EXPECT_EQ(LoginItem::isEnabled(), f.enabled) << f.line.constData();
        LoginItem::setEnabled(f.enable);
        EXPECT_EQ(LoginItem::isEnabled(), f.enable);
        EXPECT_FALSE(entry().contains(f.line));
        EXPECT_EQ(QFileInfo::exists(path), path == LoginItem::autostartEntryPath() && f.enable) << f.line.constData();
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
    EXPECT_EQ(log.count(u"[Holdra] 登录项设置失败："_s), 1) << log.lines().join(u'\n').toStdString();
}
