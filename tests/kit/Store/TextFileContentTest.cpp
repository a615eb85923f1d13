#include "Store/TextFileContent.h"

#include <QList>
#include <QStringEncoder>
#include <QStringList>
#include <gtest/gtest.h>

#include <algorithm>

using namespace holdra;

namespace {

// The bytes of a file holding `text`: plain UTF-8 with LF, or UTF-16 after its
// byte-order mark (the smallest forms), or with a byte-order mark, a U+FEFF and
// CR LF line ends in UTF-8 or UTF-16 (the largest forms).
QList<QByteArray> fileForms(const QString &text)
{
    QString padded = QChar(0xFEFF) + text;
    padded.replace(u'\n', QStringLiteral("\r\n"));
    QStringEncoder utf8(QStringConverter::Utf8);
    QStringEncoder utf16(QStringConverter::Utf16LE);
    return {QByteArray(utf8.encode(text)), QByteArray("\xFF\xFE") + QByteArray(utf16.encode(text)),
            QByteArray("\xEF\xBB\xBF") + QByteArray(utf8.encode(padded)),
            QByteArray("\xFF\xFE") + QByteArray(utf16.encode(padded))};
}

} // namespace

// Every character with a canonical decomposition, in each of its equivalent
// forms, twice with a line end between: a file holding any form of it that
// compares equal has a size inside the range of every other form.
TEST(TextFileContentTest, TheSizeRangeHoldsEveryEquivalentFile)
{
    int checked = 0;
    for (char32_t code = 0; code <= 0x10FFFF; ++code) {
        if (QChar::decompositionTag(code) != QChar::Canonical)
            continue;
        const QString one = QString::fromUcs4(&code, 1);
        const QString raw = one + u'\n' + one;
        const QStringList forms{raw, raw.normalized(QString::NormalizationForm_C),
                                raw.normalized(QString::NormalizationForm_D)};
        for (const QString &itemText : forms) {
            const QList<TextFileContent::SizeRange> ranges =
                TextFileContent::merged(TextFileContent::possibleFileSizes(itemText));
            for (const QString &fileText : forms) {
                for (const QByteArray &bytes : fileForms(fileText)) {
                    ASSERT_EQ(TextFileContent::normalized(TextFileContent::decoded(bytes).value()),
                              TextFileContent::normalized(itemText));
                    ASSERT_TRUE(TextFileContent::contains(ranges, bytes.size()))
                        << std::hex << quint32(code) << std::dec << " " << bytes.size() << " not in range";
                }
            }
        }
        ++checked;
    }
    // Hangul syllables and the precomposed Latin, Greek and others.
    EXPECT_GT(checked, 13000);
}

// Many texts' ranges are merged once and each stored file's size looked up in
// them: a size is found exactly when one of the original ranges holds it.
TEST(TextFileContentTest, MergedRangesHoldExactlyTheSizesOfTheOriginalOnes)
{
    const QList<TextFileContent::SizeRange> ranges{{5, 10}, {1, 3}, {11, 12}, {20, 25}, {8, 9}, {40, 40}};
    const QList<TextFileContent::SizeRange> merged = TextFileContent::merged(ranges);
    ASSERT_EQ(merged.size(), 4);
    for (qint64 size = -1; size <= 45; ++size) {
        const bool inAny = std::any_of(ranges.cbegin(), ranges.cend(),
                                       [size](const TextFileContent::SizeRange &range) { return range.contains(size); });
        EXPECT_EQ(TextFileContent::contains(merged, size), inAny) << size;
    }
    EXPECT_FALSE(TextFileContent::contains({}, 0));
}

// The bound leans on three facts of the Unicode data: ASCII characters only
// ever start a canonical decomposition, the only ones that decompose to a
// single ASCII character are KELVIN SIGN, GREEK QUESTION MARK and GREEK VARIA,
// and no decomposition of two or more characters holds a unified ideograph.
TEST(TextFileContentTest, TheUnicodeFactsTheSizeBoundLeansOnHold)
{
    QList<char32_t> asciiSingletons;
    for (char32_t code = 0; code <= 0x10FFFF; ++code) {
        if (QChar::decompositionTag(code) != QChar::Canonical)
            continue;
        const QList<uint> parts = QChar::decomposition(code).toUcs4();
        for (qsizetype i = 0; i < parts.size(); ++i) {
            const bool ideograph = (parts[i] >= 0x4E00 && parts[i] <= 0x9FFF) || (parts[i] >= 0x3400 && parts[i] <= 0x4DBF);
            EXPECT_FALSE(i > 0 && parts[i] < 0x80) << std::hex << quint32(code);
            EXPECT_FALSE(parts.size() > 1 && ideograph) << std::hex << quint32(code);
        }
        if (parts.size() == 1 && parts[0] < 0x80)
            asciiSingletons.append(code);
    }
    EXPECT_EQ(asciiSingletons, (QList<char32_t>{0x037E, 0x1FEF, 0x212A}));
}

// Texts of everyday length rule out stored files of other lengths, so that
// loading reads only copies that may repeat a text; every form of the same
// text stays inside.
TEST(TextFileContentTest, TheSizeBoundAdmitsEveryFormOfATextAndLittleElse)
{
    const struct
    {
        QString text;
        qint64 shorter;
        qint64 longer;
    } cases[] = {
        {QStringLiteral("meeting notes about the plan"), 20, 70},
        {QStringLiteral("line one\nline two\n"), 12, 50},
        {QStringLiteral("第 3 条笔记：季度计划 notes"), 25, 120},
        {QStringLiteral("Café déjà vu"), 9, 60},
    };
    for (const auto &entry : cases) {
        const QList<TextFileContent::SizeRange> ranges =
            TextFileContent::merged(TextFileContent::possibleFileSizes(entry.text));
        for (const QString &form : {entry.text, entry.text.normalized(QString::NormalizationForm_D)}) {
            for (const QByteArray &bytes : fileForms(form))
                EXPECT_TRUE(TextFileContent::contains(ranges, bytes.size())) << qPrintable(entry.text) << bytes.size();
        }
        EXPECT_FALSE(TextFileContent::contains(ranges, entry.shorter)) << qPrintable(entry.text);
        EXPECT_FALSE(TextFileContent::contains(ranges, entry.longer)) << qPrintable(entry.text);
    }
}
