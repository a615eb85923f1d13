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
// A UTF-8 byte-order mark (three bytes) and a U+FEFF after it (three more),
// or their UTF-16 forms (two and two), come off before the text is compared.
constexpr qint64 longestMarks = 6;

} // namespace

QString normalized(QString text)
{
    return withoutMarkAndCRs(std::move(text)).normalized(QString::NormalizationForm_C);
}

SizeRange possibleFileSizes(const QString &text)
{
    // Canonically equivalent texts share one decomposed form. The file's text has
    // at most as many characters as that form (decomposing never shortens) and at
    // least a quarter of them; each character takes one to four bytes in UTF-8,
    // two or four in UTF-16; and each line end may be CR LF in the file.
    const QString decomposed = withoutMarkAndCRs(text).normalized(QString::NormalizationForm_D);
    qint64 characters = 0;
    for (const QChar unit : decomposed)
        characters += unit.isLowSurrogate() ? 0 : 1;
    const qint64 lineEnds = decomposed.count(u'\n');
    return {(characters + longestCanonicalDecomposition - 1) / longestCanonicalDecomposition,
            4 * (characters + lineEnds) + longestMarks};
}

QList<SizeRange> merged(QList<SizeRange> ranges)
{
    std::sort(ranges.begin(), ranges.end(),
              [](const SizeRange &a, const SizeRange &b) { return a.least < b.least; });
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
