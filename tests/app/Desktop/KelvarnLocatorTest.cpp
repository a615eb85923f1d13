#include "Desktop/KelvarnLocator.h"
#include "Integration/KelvarnIntegrationContract.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

using namespace holdra;
using namespace Qt::StringLiterals;

namespace {

constexpr auto kelvarnID = "com.tessavel.Kelvarn.desktop";

// GIO reads the XDG directories once per process, so the whole suite shares one
// desktop in a temporary directory, set up before anything asks GIO: a user and
// a system applications directory and a user mimeapps.list.
class Desktop
{
public:
    Desktop()
    {
        for (const char *dir : {"data-home/applications", "data-dir/applications", "config-home", "config-dir"})
            QDir().mkpath(m_root.filePath(QLatin1String(dir)));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_root.filePath("data-home")));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(m_root.filePath("data-dir")));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_root.filePath("config-home")));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(m_root.filePath("config-dir")));
        qunsetenv("XDG_CURRENT_DESKTOP");
    }
    QString path(const QString &relative) const { return m_root.filePath(relative); }

private:
    QTemporaryDir m_root;
};

Desktop &desktop()
{
    static Desktop instance;
    return instance;
}
[[maybe_unused]] const bool desktopReady = (desktop(), true);

class KelvarnLocatorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const QString &dir : {userApps(), systemApps(), desktop().path("opt"), desktop().path("bin")}) {
            QDir(dir).removeRecursively();
            QDir().mkpath(dir);
        }
        QFile::remove(mimeApps());
    }

    static QString userApps() { return desktop().path("data-home/applications"); }
    static QString systemApps() { return desktop().path("data-dir/applications"); }
    static QString mimeApps() { return desktop().path("config-home/mimeapps.list"); }

    static QString write(const QString &path, const QByteArray &contents)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size() ? path : QString();
    }
    static QString writeEntry(const QString &dir, const QString &id, const QByteArray &extra = {},
                              const QByteArray &exec = "true %u")
    {
        return write(dir + '/' + id,
                     "[Desktop Entry]\nType=Application\nName=Kelvarn\nExec=" + exec
                         + "\nMimeType=x-scheme-handler/kelvarn;\n" + extra);
    }
    static void route(const QByteArray &handlers)
    {
        write(mimeApps(), "[Default Applications]\nx-scheme-handler/kelvarn=" + handlers + "\n");
    }

    // GIO notices changed entries a moment later, on its own thread: the
    // lookup once it satisfies `expected`, else the last one after 10 s.
    KelvarnLocator::Lookup lookupWhen(const std::function<bool(const KelvarnLocator::Lookup &)> &expected) const
    {
        KelvarnLocator::Lookup lookup = locator.lookup();
        for (QDeadlineTimer deadline(10000); !expected(lookup) && !deadline.hasExpired(); lookup = locator.lookup())
            QTest::qWait(20);
        return lookup;
    }
    bool canOpenBecomes(bool value) const
    {
        return lookupWhen([value](const auto &l) { return l.canOpenTodayFolder() == value; }).canOpenTodayFolder()
            == value;
    }

    KelvarnLocator locator;
};

} // namespace

TEST_F(KelvarnLocatorTest, InstalledAndRoutedToItselfItCanOpenAndTheCapabilityDecidesTargets)
{
    const QString entry = writeEntry(userApps(), kelvarnID, "X-KelvarnOpenTodayFolderTargetDisplayVersion=1\n");
    route("com.tessavel.Kelvarn.desktop;");
    const KelvarnLocator::Lookup lookup = lookupWhen([](const auto &l) { return l.supportsTargetDisplay(); });
    EXPECT_EQ(lookup.installedApplicationURL, QUrl::fromLocalFile(entry));
    EXPECT_EQ(lookup.schemeHandlerApplicationURL, QUrl::fromLocalFile(entry));
    EXPECT_EQ(lookup.schemeHandlerBundleIdentifier, u"com.tessavel.Kelvarn"_s);
    EXPECT_TRUE(lookup.canOpenTodayFolder());
    EXPECT_TRUE(lookup.supportsTargetDisplay());

    // The value's grammar is the contract's; here, that the entry's key is what is read.
    writeEntry(userApps(), kelvarnID, "X-KelvarnOpenTodayFolderTargetDisplayVersion=0\n");
    const KelvarnLocator::Lookup changed = lookupWhen([](const auto &l) { return !l.supportsTargetDisplay(); });
    EXPECT_TRUE(changed.canOpenTodayFolder());
    EXPECT_FALSE(changed.supportsTargetDisplay());
}

TEST_F(KelvarnLocatorTest, TheSchemeRoutedElsewhereOrAHiddenCopyKeepsTheSegmentHidden)
{
    writeEntry(systemApps(), kelvarnID, "X-KelvarnOpenTodayFolderTargetDisplayVersion=1\n");
    writeEntry(userApps(), "org.example.Impostor.desktop");
    route("org.example.Impostor.desktop");
    const KelvarnLocator::Lookup impostor =
        lookupWhen([](const auto &l) { return l.schemeHandlerBundleIdentifier == u"org.example.Impostor"_s; });
    EXPECT_EQ(impostor.schemeHandlerBundleIdentifier, u"org.example.Impostor"_s);
    EXPECT_FALSE(impostor.canOpenTodayFolder());
    EXPECT_FALSE(impostor.supportsTargetDisplay());

    // A default that is not installed gives way to the next one that is.
    route("gone.desktop;com.tessavel.Kelvarn.desktop");
    EXPECT_TRUE(canOpenBecomes(true));

    // The user's copy shadows the system's; hidden, it uninstalls Kelvarn.
    const QString user = writeEntry(userApps(), kelvarnID);
    EXPECT_EQ(lookupWhen([&](const auto &l) {
                  return l.installedApplicationURL == QUrl::fromLocalFile(user);
              }).installedApplicationURL,
              QUrl::fromLocalFile(user));
    write(user, "[Desktop Entry]\nType=Application\nName=Kelvarn\nExec=true\nHidden=true\n");
    EXPECT_TRUE(canOpenBecomes(false));
    EXPECT_FALSE(locator.lookup().installedApplicationURL.has_value());
}

TEST_F(KelvarnLocatorTest, WithoutADefaultTheEntriesThatListTheSchemeAreAskedAndALinkCounts)
{
    // Installing a package indexes its entries' types (update-desktop-database).
    writeEntry(systemApps(), kelvarnID);
    write(systemApps() + "/mimeinfo.cache", "[MIME Cache]\nx-scheme-handler/kelvarn=com.tessavel.Kelvarn.desktop;\n");
    EXPECT_TRUE(canOpenBecomes(true));

    write(mimeApps(), "[Removed Associations]\nx-scheme-handler/kelvarn=com.tessavel.Kelvarn.desktop\n");
    EXPECT_TRUE(canOpenBecomes(false));
    EXPECT_FALSE(locator.lookup().schemeHandlerApplicationURL.has_value());

    // A link in place of the only entry counts as the registered copy.
    ASSERT_TRUE(QFile::remove(systemApps() + '/' + kelvarnID));
    ASSERT_TRUE(QFile::link(writeEntry(desktop().path("opt/kelvarn"), kelvarnID), userApps() + '/' + kelvarnID));
    route(kelvarnID);
    EXPECT_TRUE(canOpenBecomes(true));
}

TEST_F(KelvarnLocatorTest, TheURLReachesTheHandlerAsOneArgumentThatNoShellReads)
{
    const QString record = desktop().path("bin/opened.txt");
    const QString script = write(desktop().path("bin/kelvarn-handler"),
                                 "#!/bin/sh\nprintf '%s' \"$1\" > \"$(dirname \"$0\")/opened.txt\"\n");
    QFile::setPermissions(script, QFile::permissions(script) | QFile::ExeOwner);
    writeEntry(userApps(), kelvarnID, "X-KelvarnOpenTodayFolderTargetDisplayVersion=+1\n",
               "\"" + script.toUtf8() + "\" %u");
    route(kelvarnID);
    const KelvarnLocator::Lookup lookup = lookupWhen([](const auto &l) { return l.supportsTargetDisplay(); });
    ASSERT_TRUE(lookup.canOpenTodayFolder());

    const std::optional<QUrl> url = KelvarnIntegrationContract::openTodayFolderURL(u"显示器_2-左"_s);
    ASSERT_TRUE(url.has_value());
    ASSERT_TRUE(KelvarnLocator::launch(lookup, *url));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(record).size() > 0; }, 10000));
    QFile opened(record);
    ASSERT_TRUE(opened.open(QIODevice::ReadOnly));
    EXPECT_EQ(opened.readAll(), "kelvarn://open-today-folder?display-id=%E6%98%BE%E7%A4%BA%E5%99%A8_2-%E5%B7%A6");

    // A field code inside a quoted shell command: the URL stays one literal word.
    const QString echoed = desktop().path("bin/echoed.txt");
    const QString planted = desktop().path("bin/planted");
    writeEntry(userApps(), kelvarnID, {}, "sh -c \"echo %u > '" + echoed.toUtf8() + "'\"");
    const QUrl hostile = QUrl::fromEncoded("kelvarn://open-today-folder?display-id=$(touch${IFS}" + planted.toUtf8()
                                           + ");touch${IFS}" + planted.toUtf8());
    ASSERT_TRUE(KelvarnLocator::launch(lookup, hostile));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(echoed).size() > 0; }, 10000));
    QFile echo(echoed);
    ASSERT_TRUE(echo.open(QIODevice::ReadOnly));
    EXPECT_EQ(echo.readAll().trimmed(), hostile.toEncoded());
    EXPECT_FALSE(QFileInfo::exists(planted));

    // A handler that can no longer start is a failure the caller hears of.
    writeEntry(userApps(), kelvarnID, {}, "\"" + desktop().path("bin/missing").toUtf8() + "\" %u");
    EXPECT_FALSE(KelvarnLocator::launch(lookup, *url));
    QFile::remove(lookup.schemeHandlerApplicationURL->toLocalFile());
    EXPECT_FALSE(KelvarnLocator::launch(lookup, *url));
}

TEST_F(KelvarnLocatorTest, InstallingOrReroutingIsNoticedOnceTheChangesSettle)
{
    KelvarnLocator watching;
    watching.startWatching();
    QSignalSpy changed(&watching, &KelvarnLocator::applicationsChanged);
    EXPECT_FALSE(watching.lookup().canOpenTodayFolder());

    writeEntry(userApps(), kelvarnID);
    route(kelvarnID);
    ASSERT_TRUE(changed.wait(5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return watching.lookup().canOpenTodayFolder(); }, 10000))
        << "the cached reading was dropped";

    changed.clear();
    writeEntry(userApps(), "org.example.Other.desktop");
    route("org.example.Other.desktop");
    ASSERT_TRUE(changed.wait(5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !watching.lookup().canOpenTodayFolder(); }, 10000));
}
