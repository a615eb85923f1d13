#include "Store/TextCopyMemo.h"
#include "TempDir.h"

#include <QDeadlineTimer>
#include <QFile>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

using namespace holdra;
using holdra::test::TempDir;

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

// Writes `bytes` over the file at `path` in place (same inode) and gives it back
// the modification time it had, as a copy that looks untouched.
void rewriteKeepingTime(const QString &path, const QByteArray &bytes)
{
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &before), 0);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_EQ(file.write(bytes), bytes.size());
    file.close();
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

// Waits until the file system's clock has moved past the status-change time
// of `path` (it ticks coarsely), so that a change made now is told apart from
// how the file was. False when it never does.
bool clockMovedPast(const QString &path)
{
    struct stat copy {};
    if (::stat(QFile::encodeName(path).constData(), &copy) != 0)
        return false;
    const QString probe = path + QStringLiteral(".probe");
    const QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired()) {
        writeFile(probe, "tick");
        struct stat now {};
        ::stat(QFile::encodeName(probe).constData(), &now);
        if (now.st_ctim.tv_sec != copy.st_ctim.tv_sec || now.st_ctim.tv_nsec != copy.st_ctim.tv_nsec)
            return QFile::remove(probe);
    }
    return false;
}

// What a new run recalls for the copy at `relative`, after the previous run remembered `text`.
std::optional<std::optional<QString>> recalledByNextRun(const TempDir &dir, const QString &relative)
{
    TextCopyMemo memo(dir.filePath(QStringLiteral("memo")));
    return memo.recalled(relative, TextCopyMemo::look(dir.filePath(relative)));
}

} // namespace

// A copy read once is recalled by later runs while it is as it was, and read
// afresh after any change, even one that puts its size and time back.
TEST(TextCopyMemoTest, ACopyIsRecalledWhileUnchangedAndReadAgainAfterAnyChange)
{
    const struct
    {
        const char *change;
        void (*apply)(const QString &path);
        bool recalled;
    } cases[] = {
        {"none", [](const QString &) {}, true},
        {"same size and time, other bytes", [](const QString &path) { rewriteKeepingTime(path, "other"); }, false},
        {"longer", [](const QString &path) { QFile f(path); f.open(QIODevice::Append); f.write("!"); }, false},
        {"same size, new time",
         [](const QString &path) {
             QFile f(path);
             f.open(QIODevice::ReadWrite);
             f.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-3600), QFileDevice::FileModificationTime);
         },
         false},
        {"replaced by another file with the old time",
         [](const QString &path) {
             struct stat before {};
             ::stat(QFile::encodeName(path).constData(), &before);
             QFile::remove(path);
             writeFile(path, "notes");
             const timespec times[2] = {before.st_atim, before.st_mtim};
             ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0);
         },
         false},
        {"gone", [](const QString &path) { QFile::remove(path); }, false},
    };
    for (const auto &entry : cases) {
        SCOPED_TRACE(entry.change);
        TempDir dir;
        const QString relative = QStringLiteral("A/notes.txt");
        const QString path = dir.write(relative, "notes");
        {
            TextCopyMemo memo(dir.filePath(QStringLiteral("memo")));
            const TextCopyMemo::Copy copy = TextCopyMemo::look(path);
            ASSERT_FALSE(memo.recalled(relative, copy));
            memo.remember(relative, copy, QStringLiteral("notes"));
            memo.save();
        }
        ASSERT_TRUE(clockMovedPast(path));
        entry.apply(path);
        const std::optional<std::optional<QString>> recalled = recalledByNextRun(dir, relative);
        EXPECT_EQ(recalled.has_value(), entry.recalled);
        if (recalled && entry.recalled) {
            EXPECT_EQ(*recalled, std::optional(QStringLiteral("notes")));
        }
    }
}

// A copy that did not decode is remembered as such; copies no longer asked
// about are forgotten at the next save; a damaged memo is a cache lost, no more.
TEST(TextCopyMemoTest, UndecodableCopiesForgottenCopiesAndADamagedMemo)
{
    TempDir dir;
    const QString memoPath = dir.filePath(QStringLiteral("memo"));
    const QString binary = dir.write(QStringLiteral("B/binary.txt"), "\xFF\xFF");
    const QString gone = dir.write(QStringLiteral("C/gone.txt"), "gone");
    {
        TextCopyMemo memo(memoPath);
        memo.remember(QStringLiteral("B/binary.txt"), TextCopyMemo::look(binary), std::nullopt);
        memo.remember(QStringLiteral("C/gone.txt"), TextCopyMemo::look(gone), QStringLiteral("gone"));
        memo.save();
    }
    {
        TextCopyMemo memo(memoPath);
        EXPECT_EQ(memo.recalled(QStringLiteral("B/binary.txt"), TextCopyMemo::look(binary)),
                  std::make_optional(std::optional<QString>()));
        memo.save();
    }
    EXPECT_FALSE(recalledByNextRun(dir, QStringLiteral("C/gone.txt")));
    EXPECT_TRUE(recalledByNextRun(dir, QStringLiteral("B/binary.txt")));

    for (const QByteArray &damage : {QByteArray("not cbor at all"), QByteArray(), QByteArray("\xA1\x61v\x02")}) {
        writeFile(memoPath, damage);
        EXPECT_FALSE(recalledByNextRun(dir, QStringLiteral("B/binary.txt")));
        TextCopyMemo memo(memoPath);
        memo.remember(QStringLiteral("B/binary.txt"), TextCopyMemo::look(binary), std::nullopt);
        memo.save();
        EXPECT_TRUE(recalledByNextRun(dir, QStringLiteral("B/binary.txt")));
    }
}
