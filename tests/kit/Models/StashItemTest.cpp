#include "Models/StashItem.h"
#include "Storage/StoredFile.h"

#include <gtest/gtest.h>

using namespace holdra;
using namespace Qt::StringLiterals;

namespace {

const QDateTime someDate = QDateTime(QDate(2026, 3, 1), QTime(8, 15, 30), Qt::UTC);

StoredFile stored(const QString &name)
{
    return {u"ITEM/"_s + name, 10, name};
}

} // namespace

TEST(StashItemTest, KindsKeepTheirStoredNames)
{
    QStringList raws;
    for (StashItemKind kind : StashItemKinds::allCases()) {
        raws.append(StashItemKinds::rawValue(kind));
        EXPECT_EQ(StashItemKinds::fromRawValue(raws.last()), kind);
    }
    EXPECT_EQ(raws, QStringList({"file", "image", "text", "link", "audio"}));
    EXPECT_FALSE(StashItemKinds::fromRawValue(u"video"));

    EXPECT_EQ(StashItem::inferredKind(u"photo.JPG"_s, false), StashItemKind::image);
    EXPECT_EQ(StashItem::inferredKind(u"song.mp3"_s, false), StashItemKind::audio);
    EXPECT_EQ(StashItem::inferredKind(u"README"_s, false), StashItemKind::file);
    EXPECT_EQ(StashItem::inferredKind(u"x.png"_s, true), StashItemKind::file);
}

TEST(StashItemTest, NotesAreTrimmedCutAndPartOfEquality)
{
    EXPECT_EQ(StashItem::normalizedNote(u" \n\t\u3000\n"_s), std::nullopt);
    EXPECT_EQ(StashItem::normalizedNote(u"  \u00a0hello  "_s), u"hello"_s);
    // 600 characters of a letter with a combining accent: cut at 1000 code units.
    const std::optional<QString> cut = StashItem::normalizedNote(u"e\u0301"_s.repeated(600));
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->size(), 1000);
    // The cut comes after trimming, so white space can remain at the end.
    EXPECT_EQ(StashItem::normalizedNote(u"  "_s + QString(499, u'x') + u" y"_s), QString(499, u'x') + u' ');

    const StashItem plain = StashItem::makeText(u"t"_s, someDate);
    StashItem noted = plain;
    noted.setNote(u"   "_s);
    EXPECT_EQ(noted.note(), std::nullopt);
    noted.setNote(u"first\n\n  second\tthird"_s);
    EXPECT_EQ(noted.notePreview(), u"first second third"_s);
    EXPECT_NE(plain, noted);
    const StashItem constructed(QUuid::createUuid(), StashItemKind::text, u"x"_s, someDate, false, u"\n note \n"_s, {},
                                {}, {}, {}, {}, {}, {}, {}, {}, {});
    EXPECT_EQ(constructed.note(), u"note"_s);
}

TEST(StashItemTest, ShownNamesAndTexts)
{
    const struct
    {
        QString text;
        QString summary;
    } summaries[] = {
        {u"   \n  alpha beta \n\tgamma\t\n delta "_s, u"alpha beta gamma"_s},
        {QString(130, u'z'), QString(120, u'z')},
        {u" \t\n \n"_s, {}},
        // CR LF is one character and no line separator, so the lines stay together.
        {u"one\r\ntwo"_s, u"one\r\ntwo"_s},
        {u"\u00a0\nsecond"_s, u"second"_s},
    };
    for (const auto &c : summaries)
        EXPECT_EQ(StashItem::summary(c.text), c.summary) << c.text.toStdString();

    EXPECT_EQ(StashItem::makeLink(u"https://example.com/a"_s, u"  Example  "_s, someDate).displayName(), u"Example"_s);
    EXPECT_EQ(StashItem::makeLink(u"https://example.com/a"_s, u"   "_s, someDate).displayName(), u"example.com"_s);
    EXPECT_EQ(StashItem::makeLink(u"hello"_s, std::nullopt, someDate).displayName(), u"hello"_s);

    StashItem text = StashItem::makeText(u"a/b:c"_s, someDate);
    EXPECT_EQ(text.txtFileName(), u"a b c.txt"_s);
    text.setDisplayName(QString());
    EXPECT_EQ(text.txtFileName(), u"暂存文本.txt"_s);
    text.setDisplayName(QString(50, u'n'));
    EXPECT_EQ(text.txtFileName(), QString(40, u'n') + u".txt"_s);
}

TEST(StashItemTest, ImageSizesAndDurations)
{
    const StashItem image = StashItem::makeImage(stored(u"a.png"_s), QSizeF(99.5, 0.4), someDate);
    EXPECT_EQ(image.pixelSizeText(), u"100 × 0"_s);
    StashItem oneSided = StashItem::makeImage(stored(u"b.png"_s), {}, someDate);
    oneSided.setPixelWidth(5);
    EXPECT_EQ(oneSided.pixelSizeText(), std::nullopt);

    const StashItem audio = StashItem::makeAudio(stored(u"r.m4a"_s), 61.5, std::nullopt, someDate);
    EXPECT_TRUE(audio.displayName().startsWith(u"录音 · "_s));
    EXPECT_EQ(audio.durationText(), u"1:01"_s);
    const StashItem named = StashItem::makeAudio(stored(u"r.m4a"_s), std::nullopt, u"r.m4a"_s, someDate);
    EXPECT_EQ(named.displayName(), u"r.m4a"_s);
    EXPECT_EQ(named.durationText(), std::nullopt);
    EXPECT_EQ(StashItem::durationText(59.9), u"0:59"_s);
    EXPECT_EQ(StashItem::durationText(3600), u"60:00"_s);
}
