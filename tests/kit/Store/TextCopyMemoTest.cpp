#include "Store/TextCopyMemo.h"
#include "TempDir.h"

#include <QDeadlineTimer>
#include <QFile>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

using namespace holdra;
using namespace Qt::StringLiterals;
using holdra::test::TempDir;

namespace {

void writeFile(const QString &path, const QByteArray &bytes, const struct stat *keepTimesOf = nullptr)
{
    QFile file(path);
    if (file.open(QIODevice::ReadWrite))
        file.write(bytes);
    file.close();
    const timespec times[2] = {keepTimesOf ? keepTimesOf->st_atim : timespec{0, UTIME_OMIT},
                               keepTimesOf ? keepTimesOf->st_mtim : timespec{0, UTIME_OMIT}};
    ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0);
}

// Waits until the clock has moved past the times of the copy at `path`, so
// that what is read of it now is kept. False when it never does.
bool settled(const QString &path)
{
    for (const QDeadlineTimer deadline(5000); !deadline.hasExpired();) {
        if (TextCopyMemo::look(path).settled)
            return true;
    }
    return false;
}

// What a new run recalls for the copy at `relative`.
std::optional<std::optional<QString>> recalledByNextRun(const TempDir &dir, const QString &relative)
{
    TextCopyMemo memo(dir.filePath(u"memo"_s));
    return memo.recalled(relative, TextCopyMemo::look(dir.filePath(relative)));
}

} // namespace

// A copy read once is recalled by later runs while it is as it was, and read
// afresh after any change, even one that puts its size and times back. What
// was read in the very tick of the copy's last change is not kept: a second
// change within that tick would leave its size and times as they were.
TEST(TextCopyMemoTest, ACopyIsRecalledWhileUnchangedAndReadAgainAfterAnyChange)
{
    const struct
    {
        const char *change;
        void (*apply)(const QString &path);
        bool recalled;
    } cases[] = {
        {"none", [](const QString &) {}, true},
        {"other bytes, same size and times",
         [](const QString &path) {
             const struct stat before = test::fileStatus(path);
             writeFile(path, "other", &before);
         },
         false},
        {"replaced by another file with the old times",
         [](const QString &path) {
             const struct stat before = test::fileStatus(path);
             QFile::remove(path);
             writeFile(path, "notes", &before);
         },
         false},
        {"longer", [](const QString &path) { writeFile(path, "notes!"); }, false},
        {"gone", [](const QString &path) { QFile::remove(path); }, false},
    };
    for (const auto &entry : cases) {
        SCOPED_TRACE(entry.change);
        TempDir dir;
        const QString relative = u"A/notes.txt"_s;
        const QString path = dir.write(relative, "notes");
        ASSERT_TRUE(settled(path));
        {
            TextCopyMemo memo(dir.filePath(u"memo"_s), dir.path());
            const TextCopyMemo::Copy copy = memo.lookBelow(relative);
            ASSERT_FALSE(memo.recalled(relative, copy));
            memo.remember(relative, copy, u"notes"_s);
            memo.save();
        }
        entry.apply(path);
        const std::optional<std::optional<QString>> recalled = recalledByNextRun(dir, relative);
        EXPECT_EQ(recalled, entry.recalled ? std::optional(std::optional(u"notes"_s)) : std::nullopt);
    }

    TempDir dir;
    std::optional<TextCopyMemo::Copy> fresh;
    for (const QDeadlineTimer deadline(5000); !fresh && !deadline.hasExpired();) {
        if (const TextCopyMemo::Copy copy = TextCopyMemo::look(dir.write(u"A/new.txt"_s, "new")); !copy.settled)
            fresh = copy;
    }
    ASSERT_TRUE(fresh) << "every look came a tick after the write";
    {
        TextCopyMemo memo(dir.filePath(u"memo"_s));
        memo.remember(u"A/new.txt"_s, *fresh, u"new"_s);
        memo.save();
    }
    EXPECT_FALSE(recalledByNextRun(dir, u"A/new.txt"_s));
}

// A copy that did not decode is remembered as such; copies no longer asked
// about are forgotten at the next save; a damaged memo is a cache lost, no more.
TEST(TextCopyMemoTest, UndecodableCopiesForgottenCopiesAndADamagedMemo)
{
    TempDir dir;
    const QString memoPath = dir.filePath(u"memo"_s);
    const QString binary = dir.write(u"B/binary.txt"_s, "\xFF\xFF");
    const QString gone = dir.write(u"C/gone.txt"_s, "gone");
    ASSERT_TRUE(settled(binary) && settled(gone));
    {
        TextCopyMemo memo(memoPath);
        memo.remember(u"B/binary.txt"_s, TextCopyMemo::look(binary), std::nullopt);
        memo.remember(u"C/gone.txt"_s, TextCopyMemo::look(gone), u"gone"_s);
        memo.save();
    }
    {
        TextCopyMemo memo(memoPath);
        EXPECT_EQ(memo.recalled(u"B/binary.txt"_s, TextCopyMemo::look(binary)),
                  std::make_optional(std::optional<QString>()));
        memo.save();
    }
    EXPECT_FALSE(recalledByNextRun(dir, u"C/gone.txt"_s));
    EXPECT_TRUE(recalledByNextRun(dir, u"B/binary.txt"_s));

    for (const QByteArray &damage : {QByteArray("not cbor at all"), QByteArray(), QByteArray("\xA1\x61v\x02")}) {
        QFile::remove(memoPath);
        writeFile(memoPath, damage);
        EXPECT_FALSE(recalledByNextRun(dir, u"B/binary.txt"_s));
        TextCopyMemo memo(memoPath);
        memo.remember(u"B/binary.txt"_s, TextCopyMemo::look(binary), std::nullopt);
        memo.save();
        EXPECT_TRUE(recalledByNextRun(dir, u"B/binary.txt"_s));
    }
}
