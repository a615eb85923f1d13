#include "Storage/JSONMetadataStore.h"
#include "Storage/MetadataCodec.h"
#include "TempDir.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cmath>

using namespace holdra;
using namespace Qt::StringLiterals;
using holdra::test::readFile;

namespace {

// Until the file's times lie in a past tick of the clock, so that its identity counts.
bool settled(const QString &path)
{
    for (QDeadlineTimer deadline(5000); !deadline.hasExpired(); QThread::yieldCurrentThread()) {
        if (FileIdentity::ofPath(path).value_or(FileIdentity{}).settled())
            return true;
    }
    return false;
}

// Items with every field, and values the file cannot hold as they are in memory.
QList<StashItem> everyKind()
{
    const QDateTime createdAt = QDateTime::fromMSecsSinceEpoch(1'772'352'930'123, Qt::UTC);
    StashItem text = StashItem::makeText(u"line one\n\"two\" / \\three\t第三"_s, createdAt);
    text.setNote(u"a note"_s);
    text.setLocked(true);
    StashItem file = StashItem::makeFile({u"ABC/report.pdf"_s, 1234, u"report.pdf"_s}, createdAt.addDays(-3));
    file.setContentHash(QString(64, u'a'));
    file.setPixelWidth(640);
    file.setPixelHeight(480);
    StashItem audio =
        StashItem::makeAudio({u"DEF/voice.m4a"_s, 9, u"voice.m4a"_s}, std::nan(""), u"voice"_s, createdAt);
    StashItem odd =
        StashItem::makeLink(u"https://example.com/a?b=c"_s, u"title \xD800 lone"_s, createdAt.addYears(-60));
    StashItem timed = StashItem::makeAudio({u"GHI/v.m4a"_s, 1, u"v.m4a"_s}, -0.0, std::nullopt, createdAt);
    return {text, file, audio, odd, timed};
}

} // namespace

// The file is the record: a snapshot of other bytes (another writer came
// between, or a crash fell between the file and its snapshot), a short or
// damaged one, or one of another stash is passed over for a parse, and
// replaced by a good one; so is one that knows the file by an identity that
// a write in place changed, even with the modification time set back. Loaded
// from the good one, the items are what parsing the file gives, and a save that
// copies the text of unchanged items writes the very bytes a full encoding
// would, so peers and older versions read the same file.
TEST(MetadataSnapshotTest, AStaleOrDamagedSnapshotFallsBackToTheFileAndSavesTheSameBytes)
{
    const QList<StashItem> items = everyKind();
    QList<StashItem> sameSize = items;
    sameSize[0].setText(u"line One\n\"two\" / \\three\t第三"_s);
    // Each damage is done in the directory of "metadata.json" and "snapshot".
    const struct
    {
        const char *what;
        void (*damage)(const test::TempDir &dir, const QList<StashItem> &other);
    } cases[] = {
        {"an item removed by another writer",
         [](const test::TempDir &dir, const QList<StashItem> &) {
             dir.write(u"metadata.json"_s, MetadataCodec::encodeItems(everyKind().mid(1)));
         }},
        {"a text changed in place, same size, times set back",
         [](const test::TempDir &dir, const QList<StashItem> &other) {
             const struct stat before = test::fileStatus(dir.filePath(u"metadata.json"_s));
             const QString json = dir.write(u"metadata.json"_s, MetadataCodec::encodeItems(other));
             const timespec times[2] = {before.st_atim, before.st_mtim};
             ::utimensat(AT_FDCWD, QFile::encodeName(json).constData(), times, 0);
         }},
        {"cut short",
         [](const test::TempDir &dir, const QList<StashItem> &) {
             dir.write(u"snapshot"_s, readFile(dir.filePath(u"snapshot"_s)).chopped(7));
         }},
        {"one byte flipped",
         [](const test::TempDir &dir, const QList<StashItem> &) {
             QByteArray bytes = readFile(dir.filePath(u"snapshot"_s));
             bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x20);
             dir.write(u"snapshot"_s, bytes);
         }},
        {"empty", [](const test::TempDir &dir, const QList<StashItem> &) { dir.write(u"snapshot"_s, {}); }},
        {"another stash's",
         [](const test::TempDir &dir, const QList<StashItem> &other) {
             test::TempDir elsewhere;
             JSONMetadataStore(elsewhere.filePath(u"m.json"_s), dir.filePath(u"snapshot"_s)).save(other);
         }},
    };
    for (const char *made : {"saved", "read settled"}) {
        for (const auto &entry : cases) {
            SCOPED_TRACE(std::string(entry.what) + ", " + made);
            test::TempDir dir;
            const QString json = dir.filePath(u"metadata.json"_s);
            const QString snapshot = dir.filePath(u"snapshot"_s);
            // Saved, a small file is known by its digest; read once settled, by its identity.
            if (made[0] == 's') {
                JSONMetadataStore(json, snapshot).save(items);
            } else {
                dir.write(u"metadata.json"_s, MetadataCodec::encodeItems(items));
                ASSERT_TRUE(settled(json));
                JSONMetadataStore(json, snapshot).load();
            }
            entry.damage(dir, sameSize);
            const QList<StashItem> expected = MetadataCodec::decodeItems(readFile(json));
            EXPECT_EQ(JSONMetadataStore(json, snapshot).load(), expected);
            EXPECT_TRUE(MetadataSnapshot::describes(snapshot, json));
            JSONMetadataStore store(json, snapshot);
            QList<StashItem> edited = store.load();
            EXPECT_EQ(edited, expected);
            // The duration that is not a number keeps its explicit null while it is unchanged.
            edited.removeIf([](const StashItem &item) { return item.relativePath() == u"DEF/voice.m4a"_s; });
            edited.first().setNote(u"changed"_s);
            edited.prepend(StashItem::makeText(u"new"_s, QDateTime::currentDateTimeUtc()));
            store.save(edited);
            EXPECT_EQ(readFile(json), MetadataCodec::encodeItems(edited));
        }
    }
}
