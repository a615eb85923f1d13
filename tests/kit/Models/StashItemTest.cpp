#include "Models/StashItem.h"
#include "QtPrinters.h"
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

TEST(StashItemTest, NotesAreTrimmedAndCutAtAThousandCodeUnits)
{
    const std::pair<QString, std::optional<QString>> notes[] = {
        {u" \n\t\u3000\n"_s, std::nullopt},
        {u"  \u00a0hello  "_s, u"hello"_s},
        // 600 letters with a combining accent: cut at 1000 code units.
        {u"e\u0301"_s.repeated(600), u"e\u0301"_s.repeated(500)},
        // The cut comes after trimming, so white space can remain at the end.
        {u"  "_s + QString(499, u'x') + u" y"_s, QString(499, u'x') + u' '},
    };
    for (const auto &[note, normalized] : notes)
        EXPECT_EQ(StashItem::normalizedNote(note), normalized) << qPrintable(note.left(20));

    StashItem noted = StashItem::makeText(u"t"_s, someDate);
    const StashItem plain = noted;
    noted.setNote(u"first\n\n  second\tthird"_s);
    EXPECT_EQ(noted.notePreview(), u"first second third"_s);
    EXPECT_NE(plain, noted);
}

TEST(StashItemTest, ShownNamesTextsSizesAndDurations)
{
    const std::pair<QString, QString> summaries[] = {
        {u"   \n  alpha beta \n\tgamma\t\n delta "_s, u"alpha beta gamma"_s},
        {QString(130, u'z'), QString(120, u'z')},
        {u" \t\n \n"_s, {}},
        // CR LF is one character and no line separator, so the lines stay together.
        {u"one\r\ntwo"_s, u"one\r\ntwo"_s},
        {u"\u00a0\nsecond"_s, u"second"_s},
    };
    for (const auto &[text, summary] : summaries)
        EXPECT_EQ(StashItem::summary(text), summary) << qPrintable(text);

    EXPECT_EQ(StashItem::makeLink(u"https://example.com/a"_s, u"  Example  "_s, someDate).displayName(), u"Example"_s);
    EXPECT_EQ(StashItem::makeLink(u"https://example.com/a"_s, u"   "_s, someDate).displayName(), u"example.com"_s);
    EXPECT_EQ(StashItem::makeLink(u"hello"_s, std::nullopt, someDate).displayName(), u"hello"_s);
    StashItem text = StashItem::makeText(u"a/b:c"_s, someDate);
    EXPECT_EQ(text.txtFileName(), u"a b c.txt"_s);
    text.setDisplayName(QString());
    EXPECT_EQ(text.txtFileName(), u"暂存文本.txt"_s);
    text.setDisplayName(QString(50, u'n'));
    EXPECT_EQ(text.txtFileName(), QString(40, u'n') + u".txt"_s);

    EXPECT_EQ(StashItem::makeImage(stored(u"a.png"_s), QSizeF(99.5, 0.4), someDate).pixelSizeText(), u"100 × 0"_s);
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

    // The kinds' names are those of the metadata file; a name says the kind of a file.
    QStringList raws;
    for (StashItemKind kind : StashItemKinds::allCases())
        raws.append(StashItemKinds::rawValue(kind));
    EXPECT_EQ(raws, (QStringList{u"file"_s, u"image"_s, u"text"_s, u"link"_s, u"audio"_s}));
    EXPECT_EQ(StashItem::inferredKind(u"photo.JPG"_s, false), StashItemKind::image);
    EXPECT_EQ(StashItem::inferredKind(u"README"_s, false), StashItemKind::file);
}
