#include "Store/TextFileContent.h"

#include <QList>
#include <QStringEncoder>
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

// Characters of each kind the size bound tells apart, in each of their
// equivalent forms, twice with a line end between: a file holding any form that
// compares equal has a size inside the range of every other form.
TEST(TextFileContentTest, TheSizeRangeHoldsEveryEquivalentFile)
{
    // Precomposed Latin, Hangul, CJK compatibility ideographs (one astral), an
    // astral three-part note, the longest decomposition (four parts), and the
    // singletons that decompose to one ASCII character (Kelvin, Greek question mark).
    for (const char32_t code : {0xE9, 0xAC00, 0xF900, 0x2F800, 0x1D160, 0x1F82, 0x212A, 0x37E}) {
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
                    EXPECT_TRUE(TextFileContent::contains(ranges, bytes.size()))
                        << std::hex << quint32(code) << std::dec << " " << bytes.size() << " not in range";
                }
            }
        }
    }
}

// Many texts' ranges are merged once and each stored file's size looked up in
// them: a size is found exactly when one of the original ranges holds it.
TEST(TextFileContentTest, MergedRangesHoldExactlyTheSizesOfTheOriginalOnes)
{
    const QList<TextFileContent::SizeRange> ranges{{5, 10}, {1, 3}, {11, 12}, {20, 25}, {8, 9}, {40, 40}};
    const QList<TextFileContent::SizeRange> merged = TextFileContent::merged(ranges);
    ASSERT_EQ(merged.size(), 4);
    for (qint64 size = -1; size <= 45; ++size) {
        const bool inAny = std::any_of(ranges.cbegin(), ranges.cend(), [size](const TextFileContent::SizeRange &range) {
            return range.contains(size);
        });
        EXPECT_EQ(TextFileContent::contains(merged, size), inAny) << size;
    }
    EXPECT_FALSE(TextFileContent::contains({}, 0));
}
