#include "Storage/MetadataCodec.h"
#include "TempDir.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <map>
#include <vector>

using namespace holdra;
using namespace Qt::StringLiterals;
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

// One command typed in a terminal and what it must answer. `$name` in an
// argument stands for the id that an earlier step kept under `name`.
struct Step
{
    QStringList arguments;
    int status;
    QString out = {}; // contained in standard output
    QString err = {}; // contained in standard error
    QString keep = {};
    QByteArray input = {};
};

// Each test gets its own data and configuration directories, so the real
// binary never sees the user's stash.
class CommandLineTest : public ::testing::Test
{
protected:
    QString support() const { return m_home.filePath(u"data/Holdra"_s); }

    // The real binary, run to its end.
    Outcome holdra(const QStringList &arguments, const QByteArray &input = {}) const
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_DATA_HOME"_s, m_home.filePath(u"data"_s));
        env.insert(u"XDG_CONFIG_HOME"_s, m_home.filePath(u"config"_s));
        // A subcommand needs no display at all.
        for (const QString &name : {u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s})
            env.remove(name);
        // "--shell SCRIPT" runs SCRIPT with "$holdra" naming the binary, for bytes QProcess cannot pass.
        env.insert(u"holdra"_s, qEnvironmentVariable("HOLDRA_BINARY"));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(m_home.path());
        if (arguments.value(0) == u"--shell")
            process.start(u"/bin/sh"_s, {u"-c"_s, u"exec \"$holdra\" "_s + arguments.at(1)});
        else
            process.start(qEnvironmentVariable("HOLDRA_BINARY"), arguments);
        process.write(input);
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(30000)) << arguments.join(u' ').toStdString();
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    // Runs the steps in order; how many of them answered otherwise.
    int run(const std::vector<Step> &steps)
    {
        int wrong = 0;
        for (const Step &step : steps) {
            QStringList arguments;
            for (const QString &argument : step.arguments)
                arguments.append(argument.startsWith(u'$') ? m_ids[argument.mid(1)] : argument);
            const Outcome outcome = holdra(arguments, step.input);
            const bool right =
                outcome.status == step.status && outcome.out.contains(step.out) && outcome.err.contains(step.err);
            EXPECT_TRUE(right) << "holdra " << step.arguments.join(u' ').toStdString() << " → " << outcome.status
                               << "\nout: " << outcome.out.toStdString() << "err: " << outcome.err.toStdString();
            wrong += right ? 0 : 1;
            if (!step.keep.isEmpty())
                m_ids[step.keep] = outcome.firstId();
        }
        return wrong;
    }

    QString write(const QString &relative, const QByteArray &bytes) const { return m_home.write(relative, bytes); }

    static QByteArray readBytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QList<StashItem> storedItems() const
    {
        return MetadataCodec::decodeItems(readBytes(QDir(support()).filePath(u"metadata.json"_s)));
    }

    TempDir m_home;
    std::map<QString, QString> m_ids;
};

// What is stored reads back as it is: a file name is bytes (typed ones that
// are not UTF-8 still name their file), lines stay one line per item, JSON is
// the metadata file's own format, and check reports missing, changed and stray
// copies without changing anything.
TEST_F(CommandLineTest, ListShowAndCheckReadTheStashAsItIsAndChangeNothing)
{
    const QByteArray name = QFile::encodeName(m_home.path()) + "/caf\xe9.txt";
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "latin-1", 7), 7);
    ::close(fd);
    const auto unlink = qScopeGuard([&] { ::unlink(name.constData()); }); // QTemporaryDir cannot spell it
    const Outcome added = holdra({u"--shell"_s, u"add \"$(printf 'caf\\351.txt')\""_s});
    EXPECT_EQ(added.status, 0) << added.err.toStdString();
    ASSERT_EQ(storedItems().size(), 1);
    EXPECT_EQ(readBytes(QDir(support()).filePath(u"Files/"_s + *storedItems().at(0).relativePath())), "latin-1");

    write(u"tab\tand\nnewline.txt"_s, "odd");
    write(u"a.txt"_s, "alpha");
    holdra({u"add"_s, u"tab\tand\nnewline.txt"_s, u"a.txt"_s});
    holdra({u"add"_s, u"--text"_s, u"note"_s});
    const Outcome json = holdra({u"list"_s, u"--json"_s});
    EXPECT_EQ(json.status, 0);
    const QString metadata = QDir(support()).filePath(u"metadata.json"_s);
    EXPECT_EQ(json.out.toUtf8(), readBytes(metadata) + '\n');
    const QString id = QJsonDocument::fromJson(json.out.toUtf8()).array().at(0)[u"id"_s].toString();
    const Outcome one = holdra({u"show"_s, id.left(8).toLower(), u"--json"_s});
    EXPECT_EQ(MetadataCodec::decodeItems(one.out.toUtf8()), QList<StashItem>{storedItems().at(0)});
    const Outcome lines = holdra({u"list"_s});
    ASSERT_EQ(lines.lines().size(), 4);
    EXPECT_EQ(lines.lines().at(1).split(u'\t').value(2), u"tab\\tand\\nnewline.txt"_s);
    EXPECT_EQ(holdra({u"check"_s}).status, 0);

    const QList<StashItem> items = storedItems();
    const QString files = QDir(support()).filePath(u"Files/"_s);
    QFile::remove(files + *items.at(1).relativePath());
    write(u"data/Holdra/Files/"_s + *items.at(2).relativePath(), "changed");
    QDir().mkpath(files + u"STRAY"_s);
    const QByteArray before = readBytes(metadata);
    const Outcome check = holdra({u"check"_s, u"--json"_s});
    EXPECT_EQ(check.status, 1);
    const QJsonObject report = QJsonDocument::fromJson(check.out.toUtf8()).object();
    EXPECT_EQ(report.value(u"missingCopies"_s).toArray().size(), 1);
    EXPECT_EQ(report.value(u"changedCopies"_s).toArray().size(), 1);
    EXPECT_EQ(report.value(u"unreferencedDirectories"_s).toArray(), QJsonArray{u"STRAY"_s});
    EXPECT_EQ(readBytes(metadata), before);
}

// The everyday roads: each says what it did (or why not) and exits 0 only
// when everything asked for was done.
TEST_F(CommandLineTest, EverydayCommandsSayWhatTheyDidAndExitOneOnAnyFailure)
{
    write(u"a.txt"_s, "alpha");
    write(u"docs/inner.md"_s, "inner");
    write(u"-dash.txt"_s, "dash");
    const QString files = support() + u"/Files/"_s;
    EXPECT_EQ(run({
                  // Adding goes on past a path it cannot read, and says so.
                  {{u"add"_s, u"--"_s, u"a.txt"_s, u"missing.txt"_s, u"docs"_s, u"-dash.txt"_s},
                   1,
                   u"\tfile\ta.txt\t"_s,
                   u"无法读取原文件“missing.txt”。"_s,
                   u"a"_s},
                  // A web address piped in with its line end is still one link; text stays text.
                  {{u"add"_s, u"--text"_s, u"-"_s}, 0, u"\tlink\t"_s, {}, {}, "https://example.org/a?b=1\n"},
                  {{u"add"_s, u"--text"_s, u"   "_s}, 1},
                  {{u"add"_s, u"--text"_s, u"-"_s}, 1, {}, {}, {}, "\xff\xfe"},
                  {{u"add"_s, u"--text"_s, u"-"_s}, 0, u"\ttext\t"_s, {}, u"t"_s, "first note\n"},
                  {{u"path"_s, u"$a"_s}, 0, files},
                  {{u"path"_s, u"$t"_s}, 1, {}, u"没有存储副本"_s},
                  {{u"lock"_s, u"$t"_s}, 0, u"已锁定"_s},
                  {{u"clear"_s}, 0, u"已移入回收站 4 项，1 项已锁定"_s},
                  {{u"unlock"_s, u"$t"_s}, 0, u"已解锁"_s},
                  {{u"rm"_s, u"$t"_s}, 0, u"已移入回收站"_s},
                  {{u"rm"_s, u"$t"_s}, 1, {}, u"没有这一项"_s},
                  {{u"show"_s, u"$t"_s}, 0, u"trashed: "_s},
                  {{u"list"_s, u"--trash"_s, u"--search"_s, u"FIRST"_s}, 0, u"first note"_s},
                  {{u"restore"_s, u"$t"_s, u"$a"_s}, 0, u"已恢复 2 项到暂存"_s},
                  {{u"restore"_s, u"$t"_s}, 1, {}, u"（回收站）"_s},
                  {{u"note"_s, u"$a"_s, u"  会议纪要  "_s}, 0, u"\t会议纪要"_s},
                  {{u"note"_s, u"$a"_s}, 0},
                  {{u"unlock"_s, u"$a"_s, u"ffffffff"_s}, 1, u"已解锁"_s, u"没有这一项"_s},
              }),
              0);
    const QList<StashItem> items = storedItems();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items.at(0).text(), u"first note"_s);
    EXPECT_FALSE(items.at(1).note().has_value());
    EXPECT_EQ(readBytes(holdra({u"path"_s, m_ids[u"a"_s]}).out.trimmed()), "alpha");
}

TEST_F(CommandLineTest, UsageErrorsExitTwoAndTouchNothing)
{
    for (const QStringList &arguments : {QStringList{u"add"_s},
                                         {u"list"_s, u"--bogus"_s},
                                         {u"list"_s, u"--search"_s},
                                         {u"note"_s},
                                         {u"check"_s, u"extra"_s},
                                         {u"rm"_s},
                                         {u"restore"_s},
                                         {u"unlock"_s},
                                         {u"path"_s},
                                         {u"show"_s}})
        EXPECT_EQ(holdra(arguments).status, 2) << arguments.join(u' ').toStdString();
    const Outcome help = holdra({u"--help"_s});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains(u"restore ID…|--all"_s));
    EXPECT_TRUE(holdra({u"--version"_s}).out.startsWith(u"holdra "_s));
    EXPECT_FALSE(QFileInfo::exists(QDir(support()).filePath(u"metadata.json"_s)));
}

// A change that cannot be written is refused with the reason and prints no
// success; looking works all the same.
TEST_F(CommandLineTest, ChangesThatCannotBeSavedFailAndLookingStillWorks)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a file system needs root";
    // Shell commands on the data directory, "$1".
    const auto sh = [this](const char *command) {
        return QProcess::execute(u"/bin/sh"_s, {u"-c"_s, QString::fromLatin1(command), u"sh"_s, support()}) == 0;
    };
    ASSERT_TRUE(sh("mkdir -p \"$1\" && mount -t tmpfs -o size=256k tmpfs \"$1\""));
    const auto unmount = qScopeGuard([&] { sh("umount -l \"$1\""); });
    write(u"small.txt"_s, "small");
    ASSERT_EQ(run({{{u"add"_s, u"--text"_s, u"kept"_s}, 0, {}, {}, u"k"_s},
                   {{u"add"_s, u"--text"_s, u"gone"_s}, 0, {}, {}, u"g"_s},
                   {{u"rm"_s, u"$g"_s}, 0}}),
              0);
    const QString metadata = QDir(support()).filePath(u"metadata.json"_s);
    const struct
    {
        const char *set, *unset;
        QString addReason;
    } conditions[] = {
        {"dd if=/dev/zero of=\"$1/filler\" bs=4k 2>/dev/null; test -s \"$1/filler\"", "rm \"$1/filler\"",
         u"磁盘空间不足，无法暂存。"_s},
        // Not even the lock can be taken: every change is refused before it starts.
        {"mount -o remount,ro \"$1\"", "mount -o remount,rw \"$1\"", u"没有权限锁定数据目录"_s},
    };
    const QByteArray before = readBytes(metadata);
    for (const auto &c : conditions) {
        SCOPED_TRACE(c.set);
        ASSERT_TRUE(sh(c.set));
        for (const QStringList &arguments : {QStringList{u"add"_s, u"--text"_s, u"more"_s},
                                             {u"add"_s, u"small.txt"_s},
                                             {u"rm"_s, m_ids[u"k"_s]},
                                             {u"restore"_s, m_ids[u"g"_s]},
                                             {u"lock"_s, m_ids[u"k"_s]},
                                             {u"note"_s, m_ids[u"k"_s], u"x"_s}}) {
            const Outcome refused = holdra(arguments);
            EXPECT_EQ(refused.status, 1) << arguments.join(u' ').toStdString();
            EXPECT_TRUE(refused.out.isEmpty()) << refused.out.toStdString();
            EXPECT_TRUE(refused.err.contains(arguments.first() == u"add" ? c.addReason : u"holdra: "_s))
                << refused.err.toStdString();
        }
        EXPECT_TRUE(QDir(support() + u"/Files"_s).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
        EXPECT_EQ(run({{{u"list"_s}, 0, u"kept"_s}, {{u"show"_s, m_ids[u"k"_s], u"--json"_s}, 0, u"kept"_s}}), 0);
        ASSERT_TRUE(sh(c.unset));
        EXPECT_EQ(readBytes(metadata), before);
    }
    EXPECT_EQ(holdra({u"add"_s, u"small.txt"_s}).status, 0);
    EXPECT_EQ(storedItems().size(), 2);
}

} // namespace
