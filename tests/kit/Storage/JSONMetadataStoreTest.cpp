#include "Storage/FileStorageError.h"
#include "Storage/JSONMetadataStore.h"
#include "Storage/JSONTrashMetadataStore.h"
#include "Storage/MetadataCodec.h"
#include "TempDir.h"

#include <QDir>
#include <QTimeZone>
#include <gtest/gtest.h>

using namespace holdra;

namespace {

const QUuid fixedId = QUuid::fromString(QStringLiteral("0f8fad5b-d9cb-469f-a165-70867728950e"));
const QDateTime fixedDate(QDate(2026, 3, 1), QTime(8, 15, 30), Qt::UTC);

StashItem fullItem()
{
    return StashItem(fixedId, StashItemKind::audio, QStringLiteral("录音 · 8:15"), fixedDate, true,
                     QStringLiteral("note"), QStringLiteral("ITEM/clip.m4a"),
                     Q_INT64_C(9007199254740993), QStringLiteral("clip.m4a"), QString(64, u'a'), 640,
                     480, QStringLiteral("t"), QStringLiteral("https://x.org/a"), QStringLiteral("x"),
                     0.1);
}

QList<StashItem> decoded(const QByteArray &json)
{
    return MetadataCodec::decodeItems(json);
}

bool rejects(const QByteArray &json)
{
    try {
        decoded(json);
    } catch (const FileStorageError &error) {
        return error.kind() == FileStorageError::Kind::corruptMetadata;
    }
    return false;
}

QByteArray element(const QByteArray &extra)
{
    return R"([{"id":"0F8FAD5B-D9CB-469F-A165-70867728950E","kind":"text","displayName":"d",)"
           R"("createdAt":"2026-03-01T08:15:30Z")"
        + extra + "}]";
}

} // namespace

TEST(MetadataCodecTest, WritesSortedKeysEscapedSlashesAndUpperCaseIds)
{
    const QByteArray expected = R"([
  {
    "byteSize": 9007199254740993,
    "contentHash": "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa",
    "createdAt": "2026-03-01T08:15:30Z",
    "displayName": "录音 · 8:15",
    "durationSeconds": 0.1,
    "id": "0F8FAD5B-D9CB-469F-A165-70867728950E",
    "kind": "audio",
    "linkTitle": "x",
    "locked": true,
    "note": "note",
    "originalFileName": "clip.m4a",
    "pixelHeight": 480,
    "pixelWidth": 640,
    "relativePath": "ITEM\/clip.m4a",
    "text": "t",
    "urlString": "https:\/\/x.org\/a"
  }
])";
    EXPECT_EQ(MetadataCodec::encodeItems({fullItem()}), expected);
    EXPECT_EQ(decoded(expected), QList<StashItem>{fullItem()});
    EXPECT_EQ(MetadataCodec::encodeItems({}), "[]");
}

TEST(MetadataCodecTest, AbsentFieldsAreOmittedAndMissingOrNullFieldsReadAsAbsent)
{
    const StashItem text = StashItem::makeText(QStringLiteral("a/b"), fixedDate, fixedId);
    const QByteArray json = MetadataCodec::encodeItems({text});
    EXPECT_FALSE(json.contains("\"note\""));
    EXPECT_FALSE(json.contains("null"));
    EXPECT_EQ(decoded(json), QList<StashItem>{text});

    const QList<StashItem> items = decoded(element(R"(,"note":"  \n ","relativePath":null,"locked":null,"future":1)"));
    ASSERT_EQ(items.size(), 1);
    EXPECT_FALSE(items[0].locked());
    EXPECT_EQ(items[0].note(), std::nullopt);
    EXPECT_EQ(items[0].relativePath(), std::nullopt);
    // Plain slashes and lower-case ids are read as well.
    EXPECT_EQ(decoded(R"([{"id":"0f8fad5b-d9cb-469f-a165-70867728950e","kind":"file","displayName":"d","createdAt":"2026-03-01T08:15:30Z","relativePath":"A/b"}])")[0].relativePath(),
              QStringLiteral("A/b"));
}

TEST(MetadataCodecTest, DatesAreStrictRfc3339WholeSeconds)
{
    EXPECT_EQ(MetadataCodec::parseDate("2026-03-01T16:15:30+08:00"), fixedDate);
    EXPECT_EQ(MetadataCodec::parseDate("2026-03-01T03:00:30-05:15"), fixedDate);
    EXPECT_EQ(MetadataCodec::parseDate("2026-03-01T08:15:30.250Z"), std::nullopt);
    // A leap second reads as the second before it; a 61st second does not exist.
    EXPECT_EQ(MetadataCodec::parseDate("2016-12-31T23:59:60Z"),
              QDateTime(QDate(2016, 12, 31), QTime(23, 59, 59), Qt::UTC));
    EXPECT_EQ(MetadataCodec::parseDate("2016-12-31T23:59:61Z"), std::nullopt);
    EXPECT_EQ(MetadataCodec::parseDate("2026-03-01 08:15:30Z"), std::nullopt);
    EXPECT_EQ(MetadataCodec::parseDate("2026-02-30T08:15:30Z"), std::nullopt);
    EXPECT_EQ(MetadataCodec::parseDate("2026-03-01T08:15:30"), std::nullopt);
    EXPECT_EQ(MetadataCodec::parseDate("+026-03-01T08:15:30Z"), std::nullopt);
    EXPECT_EQ(MetadataCodec::formatDate(fixedDate.addMSecs(999)), QStringLiteral("2026-03-01T08:15:30Z"));
    EXPECT_EQ(MetadataCodec::formatDate(QDateTime(QDate(2026, 3, 1), QTime(9, 15, 30), QTimeZone(3600))),
              QStringLiteral("2026-03-01T08:15:30Z"));
}

TEST(MetadataCodecTest, AnyFaultRejectsTheWholeFile)
{
    EXPECT_TRUE(rejects("not json"));
    EXPECT_TRUE(rejects("{}"));
    EXPECT_TRUE(rejects("[1]"));
    EXPECT_TRUE(rejects(element(R"(,"kind":"video")").replace(R"("kind":"text",)", "")));
    EXPECT_TRUE(rejects(R"([{"id":"0F8FAD5B-D9CB-469F-A165-70867728950E","kind":"text","displayName":"d","createdAt":"2026-03-01T08:15:30.250Z"}])"));
    EXPECT_TRUE(rejects(R"([{"id":"not-a-uuid","kind":"text","displayName":"d","createdAt":"2026-03-01T08:15:30Z"}])"));
    EXPECT_TRUE(rejects(R"([{"kind":"text","displayName":"d","createdAt":"2026-03-01T08:15:30Z"}])"));
    EXPECT_TRUE(rejects(element(R"(,"locked":"yes")")));
    EXPECT_TRUE(rejects(element(R"(,"byteSize":1.5)")));
    EXPECT_TRUE(rejects(element(R"(,"pixelWidth":4294967296)")));
    EXPECT_TRUE(rejects(element(R"(,"note":7)")));

    EXPECT_THROW(MetadataCodec::decodeTrash(R"([{"item":)" + element("").mid(1, element("").size() - 2) + "}]"),
                 FileStorageError);
}

TEST(JSONMetadataStoreTest, MissingEmptyAndEmptyArrayFilesLoadAsNothing)
{
    test::TempDir dir;
    JSONMetadataStore store(dir.filePath(QStringLiteral("metadata.json")));
    EXPECT_TRUE(store.load().isEmpty());
    dir.write(QStringLiteral("metadata.json"), {});
    EXPECT_TRUE(store.load().isEmpty());
    dir.write(QStringLiteral("metadata.json"), "[]");
    EXPECT_TRUE(store.load().isEmpty());
}

TEST(JSONMetadataStoreTest, SavesIntoANewDirectoryAndTruncatesFractionsOfSeconds)
{
    test::TempDir dir;
    JSONMetadataStore store(dir.filePath(QStringLiteral("new/support/metadata.json")));
    const StashItem item = StashItem::makeText(QStringLiteral("x"), fixedDate.addMSecs(750), fixedId);
    store.save({item});
    const QList<StashItem> loaded = store.load();
    ASSERT_EQ(loaded.size(), 1);
    EXPECT_EQ(loaded[0].createdAt(), fixedDate);
    EXPECT_TRUE(QDir(dir.filePath(QStringLiteral("new/support"))).entryList(QDir::Files).size() == 1);
}

TEST(JSONTrashMetadataStoreTest, RoundTripsEntriesAndSetsAsideAnUnreadableFile)
{
    test::TempDir dir;
    JSONTrashMetadataStore store(dir.filePath(QStringLiteral("trash.json")));
    const QList<TrashedItem> entries = {{fullItem(), fixedDate.addDays(2)}};
    store.save(entries);
    EXPECT_EQ(store.load(), entries);

    dir.write(QStringLiteral("trash.json"), "[{\"item\": 3}]");
    EXPECT_THROW(store.load(), FileStorageError);
    const QString first = store.setAsideUnreadableFile();
    dir.write(QStringLiteral("trash.json"), "garbage");
    const QString second = store.setAsideUnreadableFile();
    EXPECT_NE(first, second);
    EXPECT_TRUE(first.startsWith(dir.filePath(QStringLiteral("trash.json.unreadable-"))));
    EXPECT_FALSE(QFile::exists(store.filePath()));
    QFile kept(second);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "garbage");
}
