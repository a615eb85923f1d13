#include "Store/TextFileContent.h"

#include <QStringDecoder>

#include <algorithm>

namespace holdra::TextFileContent {

std::optional<QString> decoded(const QByteArray &bytes)
{
    QStringConverter::Encoding encoding = QStringConverter::Utf8;
    if (bytes.startsWith("\xFF\xFE"))
        encoding = QStringConverter::Utf16LE;
    else if (bytes.startsWith("\xFE\xFF"))
        encoding = QStringConverter::Utf16BE;
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

namespace {

QString withoutMarkAndCRs(QString text)
{
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

// No character decomposes canonically into more than four (U+1F82 and its kin).
constexpr qint64 longestCanonicalDecomposition = 4;
// The longest UTF-8 form of a character whose decomposition is the ASCII
// `point`: KELVIN SIGN for K, GREEK QUESTION MARK for ";", GREEK VARIA for "`".
qint64 asciiSingletonBytes(uint point)
{
    switch (point) {
    case 'K':
    case '`':
        return 3;
    case ';':
        return 2;
    default:
        return 1;
    }
}

// CJK unified ideographs (the basic block and extension A): no canonical
// decomposition of two or more characters contains one.
bool isUnifiedIdeograph(uint point)
{
    return (point >= 0x4E00 && point <= 0x9FFF) || (point >= 0x3400 && point <= 0x4DBF);
}

// A UTF-8 byte-order mark (three bytes) and a U+FEFF after it (three more),
// or their UTF-16 forms (two and two), come off before the text is compared.
constexpr qint64 longestMarks = 6;

} // namespace

QString normalized(QString text)
{
    return withoutMarkAndCRs(std::move(text)).normalized(QString::NormalizationForm_C);
}

std::optional<QString> normalizedText(const QByteArray &bytes)
{
    const std::optional<QString> text = decoded(bytes);
    return text ? std::optional(normalized(*text)) : std::nullopt;
}

QList<SizeRange> possibleFileSizes(const QString &text)
{
    // Canonically equivalent texts share one decomposed form D, and every
    // character of the file's text decomposes into a run of D's characters.
    // ASCII characters only ever start such a run, so one not followed by a
    // non-ASCII character is a character of the file by itself (or one of the
    // three singletons that decompose to it); a unified ideograph never joins a
    // run either. Any other character may share one with up to three more.
    // UTF-8 takes one to four bytes a character, UTF-16 (only after its
    // byte-order mark) one or two units; each line end may be CR LF.
    const QList<uint> points = withoutMarkAndCRs(text).normalized(QString::NormalizationForm_D).toUcs4();
    qint64 utf8Least = 0, utf8Most = 0, unitsLeast = 0, unitsMost = 0, shared = 0, lineEnds = 0;
    for (qsizetype i = 0; i < points.size(); ++i) {
        const uint point = points.at(i);
        lineEnds += point == u'\n' ? 1 : 0;
        if (point < 0x80 && (i + 1 == points.size() || points.at(i + 1) < 0x80)) {
            utf8Least += 1;
            utf8Most += asciiSingletonBytes(point);
            unitsLeast += 1;
            unitsMost += 1;
        } else if (isUnifiedIdeograph(point)) {
            utf8Least += 3;
            utf8Most += 4;
            unitsLeast += 1;
            unitsMost += 2;
        } else {
            ++shared;
            utf8Most += 4;
            unitsMost += 2;
        }
    }
    const qint64 sharedLeast = (shared + longestCanonicalDecomposition - 1) / longestCanonicalDecomposition;
    return {{utf8Least + sharedLeast, utf8Most + lineEnds + longestMarks},
            {2 + 2 * (unitsLeast + sharedLeast), 2 * (unitsMost + lineEnds) + longestMarks}};
}

QList<SizeRange> merged(QList<SizeRange> ranges)
{
    std::sort(ranges.begin(), ranges.end(), [](const SizeRange &a, const SizeRange &b) { return a.least < b.least; });
    QList<SizeRange> result;
    for (const SizeRange &range : std::as_const(ranges)) {
        if (!result.isEmpty() && range.least <= result.last().most + 1)
            result.last().most = std::max(result.last().most, range.most);
        else
            result.append(range);
    }
    return result;
}

bool contains(const QList<SizeRange> &merged, qint64 size)
{
    // The last range starting at or below `size` is the only one that can hold it.
    const auto after = std::upper_bound(merged.cbegin(), merged.cend(), size,
                                        [](qint64 value, const SizeRange &range) { return value < range.least; });
    return after != merged.cbegin() && std::prev(after)->contains(size);
}

} // namespace holdra::TextFileContent
