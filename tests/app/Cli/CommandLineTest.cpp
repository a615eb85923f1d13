#include "Storage/MetadataCodec.h"
#include "Store/StashStore.h"
#include "TempDir.h"

#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QSet>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

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

    // The real binary, started and left running.
    std::unique_ptr<QProcess> start(const QStringList &arguments, const QByteArray &input = {}) const
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        // A subcommand needs no display at all.
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        process->setProcessEnvironment(env);
        process->setWorkingDirectory(m_home.path());
        // "--shell SCRIPT" runs SCRIPT with "$holdra" naming the binary, for bytes QProcess cannot pass.
        if (arguments.value(0) == u"--shell") {
            env.insert(QStringLiteral("holdra"), qEnvironmentVariable("HOLDRA_BINARY"));
            process->setProcessEnvironment(env);
            process->start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("exec \"$holdra\" ") + arguments.at(1)});
        } else {
            process->start(qEnvironmentVariable("HOLDRA_BINARY"), arguments);
        }
        process->write(input);
        process->closeWriteChannel();
        return process;
    }

    Outcome holdra(const QStringList &arguments, const QByteArray &input = {}) const
    {
        const std::unique_ptr<QProcess> process = start(arguments, input);
        EXPECT_TRUE(process->waitForFinished(30000)) << arguments.join(u' ').toStdString();
        return {process->exitCode(), QString::fromUtf8(process->readAllStandardOutput()),
                QString::fromUtf8(process->readAllStandardError())};
    }

    QString write(const QString &relative, const QByteArray &bytes) const { return m_home.write(relative, bytes); }

    static QByteArray readBytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

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

    // An image is measured as it is stashed, from a terminal too.
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    ASSERT_TRUE(image.save(m_home.filePath(QStringLiteral("photo.png"))));
    EXPECT_EQ(holdra({QStringLiteral("add"), QStringLiteral("photo.png")}).status, 0);
    ASSERT_EQ(storedItems().size(), 4);
    EXPECT_EQ(storedItems().first().pixelSizeText(), QStringLiteral("30 × 20"));
}

// A file name is bytes; typed ones that are not UTF-8 still name their file.
TEST_F(CommandLineTest, AFileWhoseNameIsNotUtf8IsStashedFromTheBytesTyped)
{
    const QByteArray name = QFile::encodeName(m_home.path()) + "/caf\xe9.txt";
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "latin-1", 7), 7);
    ::close(fd);
    // QTemporaryDir cannot spell this name to delete it.
    const auto unlink = qScopeGuard([&] { ::unlink(name.constData()); });

    // The name goes through a shell, since QProcess speaks only UTF-8.
    const Outcome added = holdra({QStringLiteral("--shell"), QStringLiteral("add \"$(printf 'caf\\351.txt')\"")});
    EXPECT_EQ(added.status, 0) << added.err.toStdString();
    ASSERT_EQ(storedItems().size(), 1);
    const QString copy = QDir(supportDirectory()).filePath(QStringLiteral("Files/") + *storedItems().at(0).relativePath());
    EXPECT_EQ(readBytes(copy), "latin-1");
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

TEST_F(CommandLineTest, NotesAreSetAndClearedAndFoundBySearchAsTheirTextAndLinksAre)
{
    holdra({QStringLiteral("add"), QStringLiteral("--text"), QStringLiteral("with a note")});
    const QString id = holdra({QStringLiteral("list")}).firstId();
    EXPECT_EQ(holdra({QStringLiteral("note"), id, QStringLiteral("  会议纪要 Remember  ")}).status, 0);
    EXPECT_EQ(storedItems().at(0).note(), QStringLiteral("会议纪要 Remember"));
    holdra({QStringLiteral("add"), QStringLiteral("--text"), QStringLiteral("https://Example.org/Report")});
    holdra({QStringLiteral("add"), QStringLiteral("--text"), QStringLiteral("第二段落里有 Report 这个词")});

    const auto found = [&](const QStringList &extra) {
        return holdra(QStringList{QStringLiteral("list"), QStringLiteral("--search")} + extra).lines().size();
    };
    EXPECT_EQ(found({QStringLiteral("纪要")}), 1) << "the note";
    EXPECT_EQ(found({QStringLiteral("ＲＥＭＥＭＢＥＲ")}), 1) << "full width, other case";
    EXPECT_EQ(found({QStringLiteral("report")}), 2) << "a link address and a text";
    const Outcome json = holdra({QStringLiteral("list"), QStringLiteral("--json"), QStringLiteral("--search"),
                                 QStringLiteral("example.org/report")});
    EXPECT_EQ(QJsonDocument::fromJson(json.out.toUtf8()).array().size(), 1);
    EXPECT_EQ(found({QStringLiteral("nowhere")}), 0);

    EXPECT_EQ(holdra({QStringLiteral("rm"), id}).status, 0);
    EXPECT_EQ(found({QStringLiteral("纪要"), QStringLiteral("--trash")}), 1) << "the trash is searched too";
    EXPECT_EQ(found({QStringLiteral("纪要")}), 0);

    EXPECT_EQ(holdra({QStringLiteral("restore"), id}).status, 0);
    EXPECT_EQ(holdra({QStringLiteral("note"), id}).status, 0);
    EXPECT_FALSE(storedItems().at(0).note().has_value());
}

TEST_F(CommandLineTest, UsageErrorsExitTwoAndTouchNothing)
{
    EXPECT_EQ(holdra({QStringLiteral("add")}).status, 2);
    EXPECT_EQ(holdra({QStringLiteral("list"), QStringLiteral("--bogus")}).status, 2);
    EXPECT_EQ(holdra({QStringLiteral("list"), QStringLiteral("--search")}).status, 2);
    EXPECT_EQ(holdra({QStringLiteral("note")}).status, 2);
    EXPECT_EQ(holdra({QStringLiteral("check"), QStringLiteral("extra")}).status, 2);
    const Outcome help = holdra({QStringLiteral("--help")});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("restore ID…|--all")));
    EXPECT_TRUE(holdra({QStringLiteral("--version")}).out.startsWith(QStringLiteral("holdra ")));
    EXPECT_FALSE(QFileInfo::exists(QDir(supportDirectory()).filePath(QStringLiteral("metadata.json"))));
}

// Dozens of real writers at once: each waits its turn for the lock, and every
// add that said it was done is in the stash.
TEST_F(CommandLineTest, ManyWritersAtOnceLoseNoAcknowledgedAdd)
{
    constexpr int writers = 48;
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int i = 0; i < writers; ++i) {
        processes.push_back(start({QStringLiteral("add"), QStringLiteral("--text"), QStringLiteral("writer %1").arg(i)}));
        // Looking in the middle of it takes no lock and never fails.
        if (i % 12 == 0)
            processes.push_back(start({QStringLiteral("list")}));
    }
    QSet<QString> acknowledged;
    int refused = 0;
    for (const auto &process : processes) {
        ASSERT_TRUE(process->waitForFinished(120'000));
        const QString out = QString::fromUtf8(process->readAllStandardOutput());
        const QString err = QString::fromUtf8(process->readAllStandardError());
        if (process->arguments().first() == u"list") {
            EXPECT_EQ(process->exitCode(), 0) << err.toStdString();
        } else if (process->exitCode() == 0) {
            acknowledged.insert(out.section(u'\t', 0, 0));
        } else {
            ++refused;
            EXPECT_TRUE(out.isEmpty() && err.contains(QStringLiteral("正在使用数据目录"))) << err.toStdString();
        }
    }
    QSet<QString> listed;
    for (const StashItem &item : storedItems())
        listed.insert(item.id().toString(QUuid::WithoutBraces).toUpper());
    EXPECT_EQ(listed, acknowledged);
    EXPECT_EQ(refused, 0) << "writers gave up waiting";
    std::printf("[ figures  ] %d parallel writers: %lld acknowledged and listed, %d refused\n", writers,
                qlonglong(acknowledged.size()), refused);
}

TEST_F(CommandLineTest, WhileAnotherWriterHoldsTheStoreLookingWorksAndWritersWait)
{
    StashStore::Opening held = StashStore::open(supportDirectory());
    ASSERT_TRUE(held.store);
    held.store->addText(QStringLiteral("held"));
    const Outcome listed = holdra({QStringLiteral("list")});
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.lines().size(), 1);

    const std::unique_ptr<QProcess> waiting = start({QStringLiteral("add"), QStringLiteral("--text"), QStringLiteral("x")});
    held.store.reset();
    ASSERT_TRUE(waiting->waitForFinished(30'000));
    EXPECT_EQ(waiting->exitCode(), 0) << waiting->readAllStandardError().toStdString();
    EXPECT_EQ(storedItems().size(), 2);
}

// A change that cannot be written is refused with the reason and prints no
// success; looking works all the same, also on a full disk.
TEST_F(CommandLineTest, RefusedWritesSayWhyAndLookingStillWorks)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "chattr and mounting a file system need root";
    const QString support = supportDirectory();
    QDir().mkpath(support);
    if (::mount("tmpfs", QFile::encodeName(support).constData(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "cannot mount tmpfs here";
    const auto unmount = qScopeGuard([&] { ::umount2(QFile::encodeName(support).constData(), MNT_DETACH); });
    write(QStringLiteral("small.txt"), "small");
    ASSERT_EQ(holdra({QStringLiteral("add"), QStringLiteral("--text"), QStringLiteral("kept")}).status, 0);
    const QString metadata = QDir(support).filePath(QStringLiteral("metadata.json"));
    const auto chattr = [](const char *flag, const QString &path) {
        return QProcess::execute(QStringLiteral("chattr"), {QString::fromLatin1(flag), path}) == 0;
    };

    struct Case
    {
        const char *name;
        std::function<bool()> set;
        std::function<void()> unset;
        QString reason;
    };
    const QString filler = QDir(support).filePath(QStringLiteral("filler"));
    const Case cases[] = {
        {"full disk",
         [&] {
             QFile file(filler);
             if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
                 return false;
             for (const QByteArray block(4096, 'f'); file.write(block) == block.size();) {
             }
             return true;
         },
         [&] { QFile::remove(filler); }, QStringLiteral("磁盘空间不足，无法暂存。")},
        {"corrupt and immutable metadata.json",
         [&] {
             write(QStringLiteral("data/Holdra/metadata.json"), "{ not json");
             return chattr("+i", metadata);
         },
         [&] { chattr("-i", metadata); }, QStringLiteral("metadata.json")},
        {"immutable data directory", [&] { return chattr("+i", support); }, [&] { chattr("-i", support); },
         qt_error_string(EPERM)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray before = readBytes(metadata);
        if (!c.set()) {
            ADD_FAILURE() << "cannot set up";
            continue;
        }
        for (const QStringList &arguments : {QStringList{QStringLiteral("add"), QStringLiteral("--text"), QStringLiteral("more")},
                                             QStringList{QStringLiteral("add"), QStringLiteral("small.txt")}}) {
            const Outcome refused = holdra(arguments);
            EXPECT_EQ(refused.status, 1);
            EXPECT_TRUE(refused.out.isEmpty()) << refused.out.toStdString();
            EXPECT_TRUE(refused.err.contains(c.reason)) << refused.err.toStdString();
        }
        EXPECT_TRUE(QDir(support + QStringLiteral("/Files")).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
        const Outcome listed = holdra({QStringLiteral("list")});
        EXPECT_EQ(listed.status, 0) << listed.err.toStdString();
        c.unset();
        EXPECT_EQ(readBytes(metadata), c.name == std::string("corrupt and immutable metadata.json") ? "{ not json" : before);
        write(QStringLiteral("data/Holdra/metadata.json"), before);
    }
    EXPECT_EQ(holdra({QStringLiteral("add"), QStringLiteral("small.txt")}).status, 0);
    EXPECT_EQ(storedItems().size(), 2);
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
