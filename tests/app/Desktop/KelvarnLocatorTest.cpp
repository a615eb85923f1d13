#include "Desktop/KelvarnLocator.h"
#include "Integration/KelvarnIntegrationContract.h"
#include "TempDir.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

using namespace holdra;
using namespace Qt::StringLiterals;
using Lookup = KelvarnLocator::Lookup;

namespace {

const QString kelvarnID = u"com.tessavel.Kelvarn.desktop"_s;

// GIO reads the XDG directories once per process, so the whole suite shares one
// desktop, set up before anything asks GIO: a user and a system applications
// directory and a user mimeapps.list.
const test::TempDir &desktop()
{
    static const test::TempDir dir;
    [[maybe_unused]] static const bool ready = [] {
        for (const char *name : {"XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS"})
            qputenv(name, QFile::encodeName(dir.mkdir(QString::fromLatin1(name))));
        qunsetenv("XDG_CURRENT_DESKTOP");
        return true;
    }();
    return dir;
}
[[maybe_unused]] const bool desktopReady = (desktop(), true);

class KelvarnLocatorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const QString &dir :
             {userApps(), systemApps(), desktop().filePath(u"opt"_s), desktop().filePath(u"bin"_s)})
            QDir(dir).removeRecursively();
        QFile::remove(desktop().filePath(u"XDG_CONFIG_HOME/mimeapps.list"_s));
    }

    static QString userApps() { return desktop().filePath(u"XDG_DATA_HOME/applications"_s); }
    static QString systemApps() { return desktop().filePath(u"XDG_DATA_DIRS/applications"_s); }
    static QString write(const QString &path, const QByteArray &contents)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size() ? path : QString();
    }
    static QString writeEntry(const QString &dir, const QString &id, const QByteArray &extra = {},
                              const QByteArray &exec = "true %u")
    {
        return write(dir + u'/' + id,
                     "[Desktop Entry]\nType=Application\nName=Kelvarn\nExec=" + exec
                         + "\nMimeType=x-scheme-handler/kelvarn;\n" + extra);
    }
    static void route(const QString &handlers)
    {
        write(desktop().filePath(u"XDG_CONFIG_HOME/mimeapps.list"_s),
              "[Default Applications]\nx-scheme-handler/kelvarn=" + handlers.toUtf8() + '\n');
    }

    // GIO notices changed entries a moment later, on its own thread: the
    // lookup once it satisfies `expected`, else the last one after 10 s.
    Lookup lookupWhen(const std::function<bool(const Lookup &)> &expected) const
    {
        Lookup lookup = locator.lookup();
        for (QDeadlineTimer deadline(10000); !expected(lookup) && !deadline.hasExpired(); lookup = locator.lookup())
            QTest::qWait(20);
        return lookup;
    }
    bool canOpenBecomes(bool value) const
    {
        return lookupWhen([value](const Lookup &l) { return l.canOpenTodayFolder() == value; }).canOpenTodayFolder()
            == value;
    }
    static QByteArray contents(const QString &path)
    {
        QFile file(path);
        return QTest::qWaitFor([&] { return QFileInfo(path).size() > 0; }, 10000) && file.open(QIODevice::ReadOnly)
            ? file.readAll().trimmed()
            : QByteArray();
    }

    KelvarnLocator locator;
};

} // namespace

TEST_F(KelvarnLocatorTest, TheSchemeRoutedElsewhereOrAHiddenCopyKeepsTheSegmentHidden)
{
    writeEntry(systemApps(), kelvarnID, "X-KelvarnOpenTodayFolderTargetDisplayVersion=1\n");
    writeEntry(userApps(), u"org.example.Impostor.desktop"_s);
    route(u"org.example.Impostor.desktop"_s);
    const Lookup impostor =
        lookupWhen([](const Lookup &l) { return l.schemeHandlerBundleIdentifier == u"org.example.Impostor"_s; });
    EXPECT_EQ(impostor.schemeHandlerBundleIdentifier, u"org.example.Impostor"_s);
    EXPECT_FALSE(impostor.canOpenTodayFolder());
    EXPECT_FALSE(impostor.supportsTargetDisplay());

    // A default that is not installed gives way to the next one that is.
    route(u"gone.desktop;"_s + kelvarnID);
    EXPECT_TRUE(canOpenBecomes(true));

    // The user's copy shadows the system's; hidden, it uninstalls Kelvarn.
    const QUrl user = QUrl::fromLocalFile(writeEntry(userApps(), kelvarnID));
    EXPECT_EQ(lookupWhen([&](const Lookup &l) { return l.installedApplicationURL == user; }).installedApplicationURL,
              user);
    write(user.toLocalFile(), "[Desktop Entry]\nType=Application\nName=Kelvarn\nExec=true\nHidden=true\n");
    EXPECT_TRUE(canOpenBecomes(false));
    EXPECT_FALSE(locator.lookup().installedApplicationURL.has_value());

    // Without a default the entries that list the scheme are asked, as a
    // package's installation indexes them (update-desktop-database).
    QFile::remove(user.toLocalFile());
    QFile::remove(userApps() + u"/org.example.Impostor.desktop"_s);
    write(systemApps() + u"/mimeinfo.cache"_s, "[MIME Cache]\nx-scheme-handler/kelvarn=" + kelvarnID.toUtf8() + ";\n");
    write(desktop().filePath(u"XDG_CONFIG_HOME/mimeapps.list"_s), "[Default Applications]\n");
    EXPECT_TRUE(canOpenBecomes(true));

    // A link in place of the only entry counts as the registered copy.
    ASSERT_TRUE(QFile::remove(systemApps() + u'/' + kelvarnID));
    EXPECT_TRUE(canOpenBecomes(false));
    ASSERT_TRUE(
        QFile::link(writeEntry(desktop().filePath(u"opt/kelvarn"_s), kelvarnID), userApps() + u'/' + kelvarnID));
    route(kelvarnID);
    EXPECT_TRUE(canOpenBecomes(true));
}

TEST_F(KelvarnLocatorTest, InstalledAndRoutedToItselfItOpensTheURLAsOneArgument)
{
    const QString script = write(desktop().filePath(u"bin/kelvarn-handler"_s),
                                 "#!/bin/sh\nprintf '%s' \"$1\" > \"$(dirname \"$0\")/opened.txt\"\n");
    QFile::setPermissions(script, QFile::permissions(script) | QFile::ExeOwner);
    const QUrl entry =
        QUrl::fromLocalFile(writeEntry(userApps(), kelvarnID, "X-KelvarnOpenTodayFolderTargetDisplayVersion=+1\n",
                                       '"' + QFile::encodeName(script) + "\" %u"));
    route(kelvarnID + u';');
    const Lookup lookup = lookupWhen([](const Lookup &l) { return l.supportsTargetDisplay(); });
    ASSERT_TRUE(lookup.canOpenTodayFolder());
    EXPECT_EQ(lookup.installedApplicationURL, entry);
    EXPECT_EQ(lookup.schemeHandlerApplicationURL, entry);
    EXPECT_EQ(lookup.schemeHandlerBundleIdentifier, u"com.tessavel.Kelvarn"_s);

    const std::optional<QUrl> url = KelvarnIntegrationContract::openTodayFolderURL(u"显示器_2-左"_s);
    ASSERT_TRUE(url.has_value());
    ASSERT_TRUE(KelvarnLocator::launch(lookup, *url));
    EXPECT_EQ(contents(desktop().filePath(u"bin/opened.txt"_s)),
              "kelvarn://open-today-folder?display-id=%E6%98%BE%E7%A4%BA%E5%99%A8_2-%E5%B7%A6");

    // A handler that can no longer start is a failure the caller hears of.
    writeEntry(userApps(), kelvarnID, {}, "/nonexistent/kelvarn %u");
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
    for (const QString &handler : {kelvarnID, u"org.example.Other.desktop"_s}) {
        changed.clear();
        writeEntry(userApps(), handler);
        route(handler);
        ASSERT_TRUE(changed.wait(5000));
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return watching.lookup().canOpenTodayFolder() == (handler == kelvarnID); }, 10000))
            << "the cached reading was dropped";
    }
}
