#include "Integration/KelvarnIntegrationContract.h"
#include "Support/DesktopEntry.h"
#include "Support/KelvarnLocator.h"
#include "TempDir.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace holdra;
using holdra::test::TempDir;

namespace {

constexpr auto kelvarnID = "com.tessavel.Kelvarn.desktop";

// A desktop laid out in a temporary directory: a user and a system
// applications directory and a user mimeapps.list.
class KelvarnLocatorTest : public ::testing::Test
{
protected:
    QString userApps() const { return m_dir.filePath("data-home/applications"); }
    QString systemApps() const { return m_dir.filePath("data-dir/applications"); }
    QString mimeApps() const { return m_dir.filePath("config-home/mimeapps.list"); }

    KelvarnLocator::SearchPaths paths() const
    {
        return {{userApps(), systemApps()}, {mimeApps(), systemApps() + "/mimeapps.list"}};
    }

    QString writeEntry(const QString &dir, const QString &id, const QByteArray &extra = {},
                       const QByteArray &exec = "true %u") const
    {
        return m_dir.write(QDir(m_dir.path()).relativeFilePath(dir + '/' + id),
                           "[Desktop Entry]\nType=Application\nName=Kelvarn\nExec=" + exec +
                               "\nMimeType=x-scheme-handler/kelvarn;\n" + extra);
    }
    void route(const QByteArray &handlers) const
    {
        m_dir.write("config-home/mimeapps.list",
                    "[Default Applications]\nx-scheme-handler/kelvarn=" + handlers + "\n");
    }

    TempDir m_dir;
};

} // namespace

TEST_F(KelvarnLocatorTest, InstalledAndRoutedToItselfItCanOpenAndTheCapabilityDecidesTargets)
{
    const QString entry = writeEntry(userApps(), kelvarnID, "X-KelvarnOpenTodayFolderTargetDisplayVersion=1\n");
    route("com.tessavel.Kelvarn.desktop;");
    KelvarnLocator locator(paths());
    const KelvarnLocator::Lookup lookup = locator.lookup();
    EXPECT_EQ(lookup.installedApplicationURL, QUrl::fromLocalFile(entry));
    EXPECT_EQ(lookup.schemeHandlerApplicationURL, QUrl::fromLocalFile(entry));
    EXPECT_EQ(lookup.schemeHandlerBundleIdentifier, QStringLiteral("com.tessavel.Kelvarn"));
    EXPECT_TRUE(lookup.canOpenTodayFolder());
    EXPECT_TRUE(lookup.supportsTargetDisplay());

    for (const QByteArray &value : {QByteArray("0"), QByteArray("1.0"), QByteArray("abc"), QByteArray("-1")}) {
        writeEntry(userApps(), kelvarnID, "X-KelvarnOpenTodayFolderTargetDisplayVersion=" + value + "\n");
        EXPECT_TRUE(locator.lookup().canOpenTodayFolder()) << value.constData();
        EXPECT_FALSE(locator.lookup().supportsTargetDisplay()) << value.constData();
    }
    writeEntry(userApps(), kelvarnID);
    EXPECT_FALSE(locator.lookup().supportsTargetDisplay()) << "no capability key";
}

TEST_F(KelvarnLocatorTest, TheSchemeRoutedToAnotherApplicationOrToNothingKeepsTheSegmentHidden)
{
    writeEntry(systemApps(), kelvarnID, "X-KelvarnOpenTodayFolderTargetDisplayVersion=1\n");
    writeEntry(userApps(), "org.example.Impostor.desktop");
    route("org.example.Impostor.desktop");
    KelvarnLocator locator(paths());
    EXPECT_EQ(locator.lookup().schemeHandlerBundleIdentifier, QStringLiteral("org.example.Impostor"));
    EXPECT_FALSE(locator.lookup().canOpenTodayFolder());
    EXPECT_FALSE(locator.lookup().supportsTargetDisplay());

    // A default that is not installed gives way to the next one that is.
    route("gone.desktop;com.tessavel.Kelvarn.desktop");
    EXPECT_TRUE(locator.lookup().canOpenTodayFolder());

    // Kelvarn uninstalled, the impostor still claiming the scheme.
    QFile::remove(systemApps() + '/' + kelvarnID);
    route("org.example.Impostor.desktop");
    EXPECT_FALSE(locator.lookup().installedApplicationURL.has_value());
    EXPECT_FALSE(locator.lookup().canOpenTodayFolder());
}

TEST_F(KelvarnLocatorTest, WithoutADefaultTheEntriesThatListTheSchemeAreAsked)
{
    writeEntry(systemApps(), kelvarnID);
    KelvarnLocator locator(paths());
    EXPECT_EQ(locator.defaultHandler("x-scheme-handler/kelvarn"), QString::fromLatin1(kelvarnID));
    EXPECT_TRUE(locator.lookup().canOpenTodayFolder());

    m_dir.write("config-home/mimeapps.list",
                "[Removed Associations]\nx-scheme-handler/kelvarn=com.tessavel.Kelvarn.desktop\n");
    EXPECT_FALSE(locator.defaultHandler("x-scheme-handler/kelvarn").has_value());
    EXPECT_FALSE(locator.lookup().canOpenTodayFolder());
}

TEST_F(KelvarnLocatorTest, TheUserCopyShadowsTheSystemOneAndAHiddenEntryUninstalls)
{
    const QString system = writeEntry(systemApps(), kelvarnID);
    const QString user = writeEntry(userApps(), kelvarnID);
    route(kelvarnID);
    KelvarnLocator locator(paths());
    EXPECT_EQ(locator.lookup().installedApplicationURL, QUrl::fromLocalFile(user));
    EXPECT_EQ(locator.lookup().schemeHandlerApplicationURL, QUrl::fromLocalFile(user));
    EXPECT_TRUE(locator.lookup().canOpenTodayFolder());

    m_dir.write(QDir(m_dir.path()).relativeFilePath(user), "[Desktop Entry]\nHidden=true\n");
    EXPECT_FALSE(locator.lookup().installedApplicationURL.has_value()) << "the system copy stays hidden";
    EXPECT_FALSE(locator.lookup().canOpenTodayFolder());
    Q_UNUSED(system);
}

TEST_F(KelvarnLocatorTest, ASymlinkedEntryAndANestedDesktopIDAreFound)
{
    const QString real = writeEntry(m_dir.filePath("opt/kelvarn"), kelvarnID);
    QDir().mkpath(userApps());
    ASSERT_TRUE(QFile::link(real, userApps() + '/' + kelvarnID));
    route(kelvarnID);
    KelvarnLocator locator(paths());
    EXPECT_TRUE(locator.lookup().canOpenTodayFolder());

    const QString nested = writeEntry(systemApps() + "/vendor", "tool.desktop");
    EXPECT_EQ(locator.desktopEntryPath("vendor-tool.desktop"), nested);
    EXPECT_TRUE(locator.desktopEntryPath("../escape.desktop").isEmpty());
    EXPECT_TRUE(locator.desktopEntryPath("tool").isEmpty());
}

TEST_F(KelvarnLocatorTest, LaunchingHandsTheTargetedURLToTheRoutedHandler)
{
    const QString record = m_dir.filePath("opened.txt");
    const QString script =
        m_dir.write("bin/kelvarn-handler", "#!/bin/sh\nprintf '%s' \"$1\" > \"$(dirname \"$0\")/../opened.txt\"\n");
    QFile::setPermissions(script, QFile::permissions(script) | QFile::ExeOwner);
    writeEntry(userApps(), kelvarnID, "X-KelvarnOpenTodayFolderTargetDisplayVersion=+1\n",
               "\"" + script.toUtf8() + "\" %u");
    route(kelvarnID);
    KelvarnLocator locator(paths());
    const KelvarnLocator::Lookup lookup = locator.lookup();
    ASSERT_TRUE(lookup.canOpenTodayFolder());
    ASSERT_TRUE(lookup.supportsTargetDisplay());

    const std::optional<QUrl> url = KelvarnIntegrationContract::openTodayFolderURL(QStringLiteral("显示器_2-左"));
    ASSERT_TRUE(url.has_value());
    ASSERT_TRUE(KelvarnLocator::launch(lookup, *url));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(record).size() > 0; }, 5000));
    QFile opened(record);
    ASSERT_TRUE(opened.open(QIODevice::ReadOnly));
    const QByteArray received = opened.readAll();
    EXPECT_EQ(received, "kelvarn://open-today-folder?display-id=%E6%98%BE%E7%A4%BA%E5%99%A8_2-%E5%B7%A6");
    EXPECT_EQ(QUrl::fromEncoded(received).query(QUrl::FullyDecoded), QStringLiteral("display-id=显示器_2-左"));

    // A handler that cannot be started is a failure the caller hears of.
    KelvarnLocator::Lookup broken = lookup;
    broken.schemeHandlerExec = m_dir.filePath("bin/missing") + " %u";
    EXPECT_FALSE(KelvarnLocator::launch(broken, *url));
    broken.schemeHandlerExec = QStringLiteral("\"unterminated %u");
    EXPECT_FALSE(KelvarnLocator::launch(broken, *url));
}

TEST_F(KelvarnLocatorTest, InstallingOrReroutingIsNoticedOnceTheChangesSettle)
{
    QDir().mkpath(userApps());
    QDir().mkpath(QFileInfo(mimeApps()).absolutePath());
    KelvarnLocator locator(paths());
    locator.startWatching();
    QSignalSpy changed(&locator, &KelvarnLocator::applicationsChanged);
    EXPECT_FALSE(locator.lookup().canOpenTodayFolder());

    writeEntry(userApps(), kelvarnID);
    route(kelvarnID);
    ASSERT_TRUE(changed.wait(3000));
    EXPECT_TRUE(locator.lookup().canOpenTodayFolder()) << "the cached reading was dropped";

    changed.clear();
    writeEntry(userApps(), "org.example.Other.desktop");
    route("org.example.Other.desktop");
    ASSERT_TRUE(changed.wait(3000));
    EXPECT_FALSE(locator.lookup().canOpenTodayFolder());
}

TEST(DesktopEntryTest, ReadsGroupsListsAndEscapes)
{
    const DesktopEntry entry = DesktopEntry::parse("# comment\n[Desktop Entry]\nName=A\\sB\nName[zh_CN]=甲\n"
                                                   "MimeType=a/b;c\\;d;;\nName=ignored\n[Other]\nName=X\n");
    EXPECT_EQ(entry.value("Desktop Entry", "Name"), "A B");
    EXPECT_EQ(entry.value("Desktop Entry", "Name[zh_CN]"), "甲");
    EXPECT_EQ(entry.list("Desktop Entry", "MimeType"), (QStringList{"a/b", "c;d"}));
    EXPECT_EQ(entry.value("Other", "Name"), "X");
    EXPECT_FALSE(entry.contains("Desktop Entry", "Exec"));
    EXPECT_FALSE(DesktopEntry::read("/nonexistent/entry.desktop").has_value());
}

TEST(DesktopEntryTest, ExecLinesTakeTheURLInPlaceOfTheirFieldCode)
{
    const QString url = QStringLiteral("kelvarn://open-today-folder");
    EXPECT_EQ(DesktopEntry::commandLine("kelvarn --open %u", url), (QStringList{"kelvarn", "--open", url}));
    EXPECT_EQ(DesktopEntry::commandLine("\"/opt/My App/kelvarn\" %U %i %c", url),
              (QStringList{"/opt/My App/kelvarn", url}));
    EXPECT_EQ(DesktopEntry::commandLine("kelvarn --url=%u 100%%", url),
              (QStringList{"kelvarn", "--url=" + url, "100%"}));
    EXPECT_EQ(DesktopEntry::commandLine("kelvarn", url), (QStringList{"kelvarn", url})) << "appended when missing";
    EXPECT_EQ(DesktopEntry::commandLine("sh -c \"echo \\\"$1\\\"\" %u", url),
              (QStringList{"sh", "-c", "echo \"$1\"", url}));
    EXPECT_FALSE(DesktopEntry::commandLine("", url).has_value());
    EXPECT_FALSE(DesktopEntry::commandLine("\"open", url).has_value());
}
