#include "Storage/MetadataCodec.h"
#include "Store/StashStore.h"
#include "TempDir.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

using namespace holdra;
using holdra::test::TempDir;

namespace {

struct Outcome
{
    int status = -1;
    QString out;
    QString err;

    QStringList lines() const { return out.split(u'\n', Qt::SkipEmptyParts); }
    QString firstId() const { return lines().value(0).section(u'\t', 0, 0); }
};

// Each test gets its own data and configuration directories, so the real
// binary never sees the user's stash.
class CommandLineTest : public ::testing::Test
{
protected:
    QString supportDirectory() const { return m_home.filePath(QStringLiteral("data/Holdra")); }

    Outcome holdra(const QStringList &arguments, const QByteArray &input = {}) const
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        // A subcommand needs no display at all.
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(m_home.path());
        process.start(qEnvironmentVariable("HOLDRA_BINARY"), arguments);
        process.write(input);
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(30000)) << arguments.join(u' ').toStdString();
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    QString write(const QString &relative, const QByteArray &bytes) const { return m_home.write(relative, bytes); }

    QList<StashItem> storedItems() const
    {
        QFile file(QDir(supportDirectory()).filePath(QStringLiteral("metadata.json")));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return MetadataCodec::decodeItems(file.readAll());
    }

    TempDir m_home;
};

TEST_F(CommandLineTest, AddsFilesInOrderReportsDuplicatesAndKeepsGoingPastUnreadablePaths)
{
    write(QStringLiteral("a.txt"), "alpha");
    write(QStringLiteral("docs/inner.md"), "inner");
    write(QStringLiteral("-dash.txt"), "dash");

    const Outcome first = holdra({QStringLiteral("add"), QStringLiteral("--"), QStringLiteral("a.txt"),
                              QStringLiteral("missing.txt"), QStringLiteral("docs"), QStringLiteral("-dash.txt")});
    EXPECT_EQ(first.status, 1);
    EXPECT_TRUE(first.err.contains(QStringLiteral("无法读取原文件“missing.txt”。"))) << first.err.toStdString();
    ASSERT_EQ(first.lines().size(), 3) << first.out.toStdString();
    EXPECT_TRUE(first.lines().at(0).contains(QStringLiteral("\tfile\ta.txt\t")));
    EXPECT_TRUE(first.lines().at(1).contains(QStringLiteral("\tfile\tdocs\t")));
    EXPECT_TRUE(first.lines().at(2).contains(QStringLiteral("\t-dash.txt\t")));
    EXPECT_EQ(storedItems().size(), 3);

    const Outcome again = holdra({QStringLiteral("add"), QStringLiteral("a.txt")});
    EXPECT_EQ(again.status, 0);
    EXPECT_TRUE(again.out.contains(QStringLiteral("「a.txt」已存在")));
    EXPECT_EQ(storedItems().size(), 3);
}

TEST_F(CommandLineTest, TextBecomesALinkOnlyForAWebAddressAndStandardInputIsRead)
{
    // An address piped in with its line end is still one address.
    EXPECT_EQ(holdra({QStringLiteral("add"), QStringLiteral("--text"), QStringLiteral("-")}, "https://example.org/a?b=1\n").status, 0);
    EXPECT_EQ(holdra({QStringLiteral("add"), QStringLiteral("--text"), QStringLiteral("see https://example.org")}).status, 0);
    EXPECT_EQ(holdra({QStringLiteral("add"), QStringLiteral("--text"), QStringLiteral("ftp://example.org/file")}).status, 0);
    EXPECT_EQ(holdra({QStringLiteral("add"), QStringLiteral("--text"), QStringLiteral("-")}, "第一行\n第二行\n").status, 0);
    EXPECT_EQ(holdra({QStringLiteral("add"), QStringLiteral("--text"), QStringLiteral("   ")}).status, 1);
    EXPECT_EQ(holdra({QStringLiteral("add"), QStringLiteral("--text"), QStringLiteral("-")}, "\xff\xfe").status, 1);

    const QList<StashItem> items = storedItems();
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items.at(0).text(), QStringLiteral("第一行\n第二行"));
    EXPECT_EQ(items.at(1).kind(), StashItemKind::text);
    EXPECT_EQ(items.at(2).kind(), StashItemKind::text);
    EXPECT_EQ(items.at(3).kind(), StashItemKind::link);
    EXPECT_EQ(items.at(3).urlString(), QStringLiteral("https://example.org/a?b=1"));
}

TEST_F(CommandLineTest, JsonListingIsTheMetadataFileFormatAndLinesStayOneLinePerItem)
{
    write(QStringLiteral("tab\tand\nnewline.txt"), "odd");
    holdra({QStringLiteral("add"), QStringLiteral("tab\tand\nnewline.txt")});
    holdra({QStringLiteral("add"), QStringLiteral("--text"), QStringLiteral("note")});

    const Outcome json = holdra({QStringLiteral("list"), QStringLiteral("--json")});
    EXPECT_EQ(json.status, 0);
    QFile metadata(QDir(supportDirectory()).filePath(QStringLiteral("metadata.json")));
    ASSERT_TRUE(metadata.open(QIODevice::ReadOnly));
    EXPECT_EQ(json.out.toUtf8(), metadata.readAll() + '\n');

    const Outcome lines = holdra({QStringLiteral("list")});
    ASSERT_EQ(lines.lines().size(), 2);
    EXPECT_EQ(lines.lines().at(1).split(u'\t').value(2), QStringLiteral("tab\\tand\\nnewline.txt"));
}

TEST_F(CommandLineTest, IdsMatchInAnyCaseAndByUniquePrefixOfEightOrMore)
{
    holdra({QStringLiteral("add"), QStringLiteral("--text"), QStringLiteral("one")});
    const QString id = holdra({QStringLiteral("list")}).firstId();

    EXPECT_EQ(holdra({QStringLiteral("show"), id.toLower()}).status, 0);
    EXPECT_EQ(holdra({QStringLiteral("show"), id.left(8).toLower()}).status, 0);
    const Outcome tooShort = holdra({QStringLiteral("show"), id.left(7)});
    EXPECT_EQ(tooShort.status, 1);
    EXPECT_EQ(holdra({QStringLiteral("show"), QStringLiteral("00000000")}).status, 1);
    EXPECT_EQ(holdra({QStringLiteral("path"), id}).status, 1) << "a text item has no stored copy";
}

TEST_F(CommandLineTest, LockedItemsStayOnRemoveAndClearAndRestoreReportsItsOutcomes)
{
    write(QStringLiteral("keep.txt"), "keep");
    write(QStringLiteral("go.txt"), "go");
    holdra({QStringLiteral("add"), QStringLiteral("keep.txt"), QStringLiteral("go.txt")});
    const QStringList lines = holdra({QStringLiteral("list")}).lines();
    const QString keep = lines.at(0).section(u'\t', 0, 0);
    const QString go = lines.at(1).section(u'\t', 0, 0);

    EXPECT_EQ(holdra({QStringLiteral("lock"), keep}).out.trimmed(), QStringLiteral("已锁定"));
    const Outcome removeLocked = holdra({QStringLiteral("rm"), keep});
    EXPECT_EQ(removeLocked.status, 1);
    EXPECT_EQ(removeLocked.out.trimmed(), QStringLiteral("已锁定，先解锁再删除"));

    const Outcome cleared = holdra({QStringLiteral("clear")});
    EXPECT_EQ(cleared.status, 0);
    EXPECT_EQ(cleared.out.trimmed(), QStringLiteral("已移入回收站 1 项，1 项已锁定"));
    EXPECT_EQ(holdra({QStringLiteral("list")}).lines().size(), 1);

    // The trashed file's copy disappears: restoring it must say so and keep the entry.
    const QString copy = holdra({QStringLiteral("show"), go}).out.section(QStringLiteral("stored as: "), 1).section(u'\n', 0, 0);
    ASSERT_FALSE(copy.isEmpty());
    QDir(QDir(supportDirectory()).filePath(QStringLiteral("Files/") + copy.section(u'/', 0, 0))).removeRecursively();
    const Outcome missing = holdra({QStringLiteral("restore"), go});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.out.contains(QStringLiteral("原文件已缺失，无法恢复")));
    EXPECT_EQ(holdra({QStringLiteral("list"), QStringLiteral("--trash")}).lines().size(), 1);
}

TEST_F(CommandLineTest, NotesAreSetAndCleared)
{
    holdra({QStringLiteral("add"), QStringLiteral("--text"), QStringLiteral("with a note")});
    const QString id = holdra({QStringLiteral("list")}).firstId();
    EXPECT_EQ(holdra({QStringLiteral("note"), id, QStringLiteral("  remember  ")}).status, 0);
    EXPECT_EQ(storedItems().at(0).note(), QStringLiteral("remember"));
    EXPECT_EQ(holdra({QStringLiteral("note"), id}).status, 0);
    EXPECT_FALSE(storedItems().at(0).note().has_value());
}

TEST_F(CommandLineTest, UsageErrorsExitTwoAndTouchNothing)
{
    EXPECT_EQ(holdra({QStringLiteral("add")}).status, 2);
    EXPECT_EQ(holdra({QStringLiteral("list"), QStringLiteral("--bogus")}).status, 2);
    EXPECT_EQ(holdra({QStringLiteral("note")}).status, 2);
    EXPECT_EQ(holdra({QStringLiteral("check"), QStringLiteral("extra")}).status, 2);
    const Outcome help = holdra({QStringLiteral("--help")});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("restore ID…|--all")));
    EXPECT_TRUE(holdra({QStringLiteral("--version")}).out.startsWith(QStringLiteral("holdra ")));
    EXPECT_FALSE(QFileInfo::exists(QDir(supportDirectory()).filePath(QStringLiteral("metadata.json"))));
}

TEST_F(CommandLineTest, AStoreHeldByAnotherProcessIsRefusedWithoutChanges)
{
    StashStore::Opening held = StashStore::open(supportDirectory());
    ASSERT_TRUE(held.store);
    const Outcome refused = holdra({QStringLiteral("add"), QStringLiteral("--text"), QStringLiteral("x")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_FALSE(refused.err.trimmed().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(QDir(supportDirectory()).filePath(QStringLiteral("metadata.json"))));
}

TEST_F(CommandLineTest, AnUnreadableMetadataFileIsKeptAsideNotOverwritten)
{
    write(QStringLiteral("data/Holdra/metadata.json"), "{ not json");
    EXPECT_EQ(holdra({QStringLiteral("add"), QStringLiteral("--text"), QStringLiteral("after")}).status, 0);
    const QStringList aside = QDir(supportDirectory()).entryList({QStringLiteral("metadata.json.unreadable-*")});
    ASSERT_EQ(aside.size(), 1);
    QFile kept(QDir(supportDirectory()).filePath(aside.first()));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("{ not json"));
}

TEST_F(CommandLineTest, CheckReportsMissingChangedAndStrayCopiesWithoutChangingAnything)
{
    write(QStringLiteral("a.txt"), "alpha");
    write(QStringLiteral("b.txt"), "bravo");
    holdra({QStringLiteral("add"), QStringLiteral("a.txt"), QStringLiteral("b.txt")});
    EXPECT_EQ(holdra({QStringLiteral("check")}).status, 0);

    const QList<StashItem> items = storedItems();
    const QString files = QDir(supportDirectory()).filePath(QStringLiteral("Files/"));
    QFile::remove(files + *items.at(0).relativePath());
    write(QStringLiteral("data/Holdra/Files/") + *items.at(1).relativePath(), "changed");
    QDir().mkpath(files + QStringLiteral("STRAY"));
    QFile metadata(QDir(supportDirectory()).filePath(QStringLiteral("metadata.json")));
    ASSERT_TRUE(metadata.open(QIODevice::ReadOnly));
    const QByteArray before = metadata.readAll();

    const Outcome check = holdra({QStringLiteral("check"), QStringLiteral("--json")});
    EXPECT_EQ(check.status, 1);
    const QJsonObject report = QJsonDocument::fromJson(check.out.toUtf8()).object();
    EXPECT_EQ(report.value(QStringLiteral("missingCopies")).toArray().size(), 1);
    EXPECT_EQ(report.value(QStringLiteral("changedCopies")).toArray().size(), 1);
    EXPECT_EQ(report.value(QStringLiteral("unreferencedDirectories")).toArray(), QJsonArray{QStringLiteral("STRAY")});
    metadata.seek(0);
    EXPECT_EQ(metadata.readAll(), before);
}

} // namespace
