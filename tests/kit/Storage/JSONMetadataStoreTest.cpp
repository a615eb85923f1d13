#include "Storage/JSONMetadataStore.h"
#include "Storage/FileStorageError.h"
#include "Storage/JSONTrashMetadataStore.h"
#include "Storage/MetadataCodec.h"
#include "TempDir.h"

#include <QFile>
#include <QTimeZone>
#include <gtest/gtest.h>

using namespace holdra;
using namespace Qt::StringLiterals;
using holdra::test::readFile;

namespace {

const QUuid fixedId = QUuid::fromString(u"0f8fad5b-d9cb-469f-a165-70867728950e"_s);
const QDateTime fixedDate(QDate(2026, 3, 1), QTime(8, 15, 30), Qt::UTC);

StashItem fullItem()
{
    return StashItem(fixedId, StashItemKind::audio, u"录音 · 8:15"_s, fixedDate, true, u"note"_s, u"ITEM/clip.m4a"_s,
                     Q_INT64_C(9007199254740993), u"clip.m4a"_s, QString(64, u'a'), 640, 480, u"t"_s,
                     u"https://x.org/a"_s, u"x"_s, 0.1);
}

bool rejects(const QByteArray &json)
{
    try {
        MetadataCodec::decodeItems(json);
    } catch (const FileStorageError &error) {
        return error.kind() == FileStorageError::Kind::corruptMetadata;
    }
    return false;
}

// One text item, with `extra` fields; `createdAt` and `id` can be replaced.
QByteArray element(const QByteArray &extra, const QByteArray &createdAt = "2026-03-01T08:15:30Z",
                   const QByteArray &id = "0F8FAD5B-D9CB-469F-A165-70867728950E")
{
    return R"([{"id":")" + id + R"(","kind":"text","displayName":"d","createdAt":")" + createdAt + '"' + extra + "}]";
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
    EXPECT_EQ(MetadataCodec::decodeItems(expected), QList<StashItem>{fullItem()});
    EXPECT_EQ(MetadataCodec::encodeItems({}), "[]");
}

TEST(MetadataCodecTest, AbsentFieldsAreOmittedAndMissingOrNullFieldsReadAsAbsent)
{
    const StashItem text = StashItem::makeText(u"a/b"_s, fixedDate, fixedId);
    const QByteArray json = MetadataCodec::encodeItems({text});
    EXPECT_FALSE(json.contains("\"note\"") || json.contains("null"));
    EXPECT_EQ(MetadataCodec::decodeItems(json), QList<StashItem>{text});

    const QList<StashItem> items =
        MetadataCodec::decodeItems(element(R"(,"note":"  \n ","relativePath":null,"locked":null,"future":1)"));
    ASSERT_EQ(items.size(), 1);
    EXPECT_FALSE(items[0].locked());
    EXPECT_EQ(items[0].note(), std::nullopt);
    EXPECT_EQ(items[0].relativePath(), std::nullopt);
    // Plain slashes and lower-case ids are read as well.
    EXPECT_EQ(MetadataCodec::decodeItems(element(R"(,"relativePath":"A/b")", "2026-03-01T08:15:30Z",
                                                 "0f8fad5b-d9cb-469f-a165-70867728950e"))[0]
                  .relativePath(),
              u"A/b"_s);
}

TEST(MetadataCodecTest, DatesAreStrictRfc3339WholeSeconds)
{
    const std::pair<const char *, std::optional<QDateTime>> cases[] = {
        {"2026-03-01T16:15:30+08:00", fixedDate},
        {"2026-03-01T03:00:30-05:15", fixedDate},
        // A leap second reads as the second before it; a 61st second does not exist.
        {"2016-12-31T23:59:60Z", QDateTime(QDate(2016, 12, 31), QTime(23, 59, 59), Qt::UTC)},
        {"2016-12-31T23:59:61Z", std::nullopt},
        {"2026-03-01T08:15:30.250Z", std::nullopt},
        {"2026-03-01 08:15:30Z", std::nullopt},
        {"2026-02-30T08:15:30Z", std::nullopt},
        {"2026-03-01T08:15:30", std::nullopt},
        {"+026-03-01T08:15:30Z", std::nullopt}};
    for (const auto &[text, date] : cases)
        EXPECT_EQ(MetadataCodec::parseDate(text), date) << text;
    EXPECT_EQ(MetadataCodec::formatDate(fixedDate.addMSecs(999)), u"2026-03-01T08:15:30Z"_s);
    EXPECT_EQ(MetadataCodec::formatDate(QDateTime(QDate(2026, 3, 1), QTime(9, 15, 30), QTimeZone(3600))),
              u"2026-03-01T08:15:30Z"_s);
}

TEST(MetadataCodecTest, AnyFaultRejectsTheWholeFile)
{
    for (const QByteArray &json :
         {QByteArray("not json"), QByteArray("{}"), QByteArray("[1]"),
          element(R"(,"kind":"video")").replace(R"("kind":"text",)", ""), element("", "2026-03-01T08:15:30.250Z"),
          element("", "2026-03-01T08:15:30Z", "not-a-uuid"),
          element("").replace(R"("id":"0F8FAD5B-D9CB-469F-A165-70867728950E",)", ""), element(R"(,"locked":"yes")"),
          element(R"(,"byteSize":1.5)"), element(R"(,"pixelWidth":4294967296)"), element(R"(,"note":7)")})
        EXPECT_TRUE(rejects(json)) << json.constData();
    EXPECT_THROW(MetadataCodec::decodeTrash(R"([{"item":)" + element("").mid(1).chopped(1) + "}]"), FileStorageError);
}

// No file and an empty one hold no items; neither is a damaged list to set aside.
TEST(JSONMetadataStoreTest, NoFileOrAnEmptyOneLoadsNothing)
{
    test::TempDir dir;
    JSONMetadataStore store(dir.filePath(u"metadata.json"_s));
    EXPECT_TRUE(store.load().isEmpty());
    for (const QByteArray &empty : {QByteArray(), QByteArray("[]")}) {
        dir.write(u"metadata.json"_s, empty);
        EXPECT_TRUE(store.load().isEmpty());
    }
}

// A second unreadable file set aside never replaces the first: both may be all that is left.
TEST(JSONTrashMetadataStoreTest, EachUnreadableFileIsSetAsideUnderANameOfItsOwn)
{
    test::TempDir dir;
    JSONTrashMetadataStore store(dir.filePath(u"trash.json"_s));
    QStringList aside;
    for (const QByteArray &bytes : {QByteArray("[{\"item\": 3}]"), QByteArray("garbage")}) {
        dir.write(u"trash.json"_s, bytes);
        EXPECT_THROW(store.load(), FileStorageError);
        aside.append(store.setAsideUnreadableFile());
        EXPECT_FALSE(QFile::exists(store.filePath()));
    }
    EXPECT_NE(aside[0], aside[1]);
    EXPECT_EQ(readFile(aside[0]), "[{\"item\": 3}]");
}
