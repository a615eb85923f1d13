#include "Models/StashItem.h"
#include "Storage/StoredFile.h"

#include <gtest/gtest.h>

using namespace holdra;

namespace {

const QDateTime someDate = QDateTime(QDate(2026, 3, 1), QTime(8, 15, 30), Qt::UTC);

StoredFile stored(const QString &name, qint64 size = 10)
{
    return {QStringLiteral("ITEM/") + name, size, name};
}

} // namespace

TEST(StashItemKindTest, RawValuesRoundTripAndUnknownValuesAreRejected)
{
    QStringList raws;
    for (StashItemKind kind : StashItemKinds::allCases()) {
        raws.append(StashItemKinds::rawValue(kind));
        EXPECT_EQ(StashItemKinds::fromRawValue(raws.last()), kind);
    }
    EXPECT_EQ(raws, QStringList({"file", "image", "text", "link", "audio"}));
    EXPECT_FALSE(StashItemKinds::fromRawValue(u"video"));
    EXPECT_EQ(StashItemKinds::localizedName(StashItemKind::audio), QStringLiteral("录音"));
    EXPECT_EQ(StashItemKinds::symbolName(StashItemKind::text), QStringLiteral("text.alignleft"));
}

TEST(StashItemTest, NotesAreNormalisedOnConstructionAndSetting)
{
    EXPECT_EQ(StashItem::normalizedNote(QStringLiteral(" \n\t\u3000\n")), std::nullopt);
    EXPECT_EQ(StashItem::normalizedNote(std::nullopt), std::nullopt);
    EXPECT_EQ(StashItem::normalizedNote(QStringLiteral("  \u00a0hello  ")), QStringLiteral("hello"));

    // 600 characters, each a letter with a combining accent: two code units, one character.
    QString longNote;
    for (int i = 0; i < 600; ++i)
        longNote += QStringLiteral("e\u0301");
    const std::optional<QString> cut = StashItem::normalizedNote(longNote);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->size(), 1000);

    // The cut comes after trimming, so white space can remain at the end.
    const QString padded = QStringLiteral("  ") + QString(499, u'x') + QStringLiteral(" y");
    EXPECT_EQ(StashItem::normalizedNote(padded), QString(499, u'x') + u' ');

    StashItem item = StashItem::makeText(QStringLiteral("t"), someDate);
    item.setNote(QStringLiteral("   "));
    EXPECT_EQ(item.note(), std::nullopt);
    const StashItem constructed(QUuid::createUuid(), StashItemKind::text, QStringLiteral("x"),
                                someDate, false, QStringLiteral("\n note \n"), {}, {}, {}, {}, {},
                                {}, {}, {}, {}, {});
    EXPECT_EQ(constructed.note(), QStringLiteral("note"));
}

TEST(StashItemTest, SummaryTakesTheFirstTwoNonBlankLines)
{
    EXPECT_EQ(StashItem::summary(QStringLiteral("   \n  alpha beta \n\tgamma\t\n delta ")),
              QStringLiteral("alpha beta gamma"));
    EXPECT_EQ(StashItem::summary(QString(130, u'z')), QString(120, u'z'));
    EXPECT_EQ(StashItem::summary(QStringLiteral(" \t\n \n")), QString());
    // CR LF is one character and no line separator, so the lines stay together.
    EXPECT_EQ(StashItem::summary(QStringLiteral("one\r\ntwo\r\nthree")),
              QStringLiteral("one\r\ntwo\r\nthree"));
    // A line of only a non-breaking space is blank.
    EXPECT_EQ(StashItem::summary(QStringLiteral("\u00a0\nsecond")), QStringLiteral("second"));
}

TEST(StashItemTest, LinkDisplayNameFallsBackFromTitleToHostToText)
{
    const StashItem titled = StashItem::makeLink(QStringLiteral("https://example.com/a"),
                                                 QStringLiteral("  Example  "), someDate);
    EXPECT_EQ(titled.displayName(), QStringLiteral("Example"));
    EXPECT_EQ(titled.linkTitle(), QStringLiteral("Example"));
    EXPECT_EQ(titled.kind(), StashItemKind::link);

    const StashItem blankTitle = StashItem::makeLink(QStringLiteral("https://example.com/a"),
                                                     QStringLiteral("   "), someDate);
    EXPECT_EQ(blankTitle.displayName(), QStringLiteral("example.com"));
    EXPECT_EQ(blankTitle.linkTitle(), QString());

    const StashItem bare = StashItem::makeLink(QStringLiteral("hello"), std::nullopt, someDate);
    EXPECT_EQ(bare.displayName(), QStringLiteral("hello"));
    EXPECT_EQ(bare.linkTitle(), std::nullopt);
    EXPECT_EQ(bare.urlString(), QStringLiteral("hello"));
}

TEST(StashItemTest, FactoriesFillTheirFields)
{
    const StashItem image = StashItem::makeImage(stored(QStringLiteral("a.png")),
                                                 QSizeF(99.5, 0.4), someDate);
    EXPECT_EQ(image.kind(), StashItemKind::image);
    EXPECT_EQ(image.pixelWidth(), 100);
    EXPECT_EQ(image.pixelHeight(), 0);
    EXPECT_EQ(image.pixelSizeText(), QStringLiteral("100 × 0"));
    EXPECT_EQ(image.relativePath(), QStringLiteral("ITEM/a.png"));
    EXPECT_EQ(image.originalFileName(), QStringLiteral("a.png"));
    EXPECT_EQ(image.contentHash(), std::nullopt);

    StashItem oneSided = StashItem::makeImage(stored(QStringLiteral("b.png")), {}, someDate);
    EXPECT_EQ(oneSided.pixelWidth(), std::nullopt);
    oneSided.setPixelWidth(5);
    EXPECT_EQ(oneSided.pixelSizeText(), std::nullopt);

    const StashItem audio = StashItem::makeAudio(stored(QStringLiteral("r.m4a")), 61.5,
                                                 std::nullopt, someDate);
    EXPECT_TRUE(audio.displayName().startsWith(QStringLiteral("录音 · ")));
    EXPECT_EQ(audio.durationText(), QStringLiteral("1:01"));
    const StashItem named = StashItem::makeAudio(stored(QStringLiteral("r.m4a")), std::nullopt,
                                                 QStringLiteral("r.m4a"), someDate);
    EXPECT_EQ(named.displayName(), QStringLiteral("r.m4a"));
    EXPECT_EQ(named.durationText(), std::nullopt);
}

TEST(StashItemTest, DurationTextAndTxtFileName)
{
    EXPECT_EQ(StashItem::durationText(0), QStringLiteral("0:00"));
    EXPECT_EQ(StashItem::durationText(59.9), QStringLiteral("0:59"));
    EXPECT_EQ(StashItem::durationText(3600), QStringLiteral("60:00"));

    StashItem item = StashItem::makeText(QStringLiteral("a/b:c"), someDate);
    EXPECT_EQ(item.txtFileName(), QStringLiteral("a b c.txt"));
    item.setDisplayName(QString());
    EXPECT_EQ(item.txtFileName(), QStringLiteral("暂存文本.txt"));
    item.setDisplayName(QString(50, u'n'));
    EXPECT_EQ(item.txtFileName(), QString(40, u'n') + QStringLiteral(".txt"));
}

TEST(StashItemTest, NotePreviewIsTheNoteOnOneLine)
{
    StashItem item = StashItem::makeText(QStringLiteral("t"), someDate);
    EXPECT_EQ(item.notePreview(), std::nullopt);
    item.setNote(QStringLiteral("first\n\n  second\tthird"));
    EXPECT_EQ(item.notePreview(), QStringLiteral("first second third"));
}

TEST(StashItemTest, KindIsInferredFromTheExtension)
{
    EXPECT_EQ(StashItem::inferredKind(QStringLiteral("photo.JPG"), false), StashItemKind::image);
    EXPECT_EQ(StashItem::inferredKind(QStringLiteral("song.mp3"), false), StashItemKind::audio);
    EXPECT_EQ(StashItem::inferredKind(QStringLiteral("archive.zip"), false), StashItemKind::file);
    EXPECT_EQ(StashItem::inferredKind(QStringLiteral("README"), false), StashItemKind::file);
    EXPECT_EQ(StashItem::inferredKind(QStringLiteral("x.png"), true), StashItemKind::file);
    EXPECT_EQ(StashItem::inferredKind(QStringLiteral("x.unknownext"), false), StashItemKind::file);
}

TEST(StashItemTest, ItemsDifferingOnlyInTheirNoteAreNotEqual)
{
    const StashItem a = StashItem::makeText(QStringLiteral("t"), someDate);
    StashItem b = a;
    EXPECT_EQ(a, b);
    b.setNote(QStringLiteral("n"));
    EXPECT_NE(a, b);
}
