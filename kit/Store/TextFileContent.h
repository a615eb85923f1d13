#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace holdra::TextFileContent {

// The text of a stashed text file: UTF-16 when a byte-order mark says so (FF FE
// little-endian, FE FF big-endian), else strict UTF-8; nothing when the bytes
// do not decode.
std::optional<QString> decoded(const QByteArray &bytes);

// The stored bytes' text, decoded() and normalized(); nothing when they do not decode.
std::optional<QString> normalizedText(const QByteArray &bytes);

// Without a leading U+FEFF, every CR LF and lone CR made LF, and in
// normalisation form C, so that canonically equivalent texts compare equal.
QString normalized(QString text);

// Ranges of sizes in bytes, both ends included, that a stored file can have
// when its decoded text is `normalized` to the same as `text`, whichever
// encoding, line ends and canonically equivalent form the file uses: one for
// UTF-8, one for UTF-16.
struct SizeRange
{
    qint64 least = 0;
    qint64 most = 0;
    bool contains(qint64 size) const { return least <= size && size <= most; }
};
QList<SizeRange> possibleFileSizes(const QString &text);

// The same sizes as `ranges`, as sorted ranges that neither overlap nor touch,
// so that a size is looked up in logarithmic time among many texts.
QList<SizeRange> merged(QList<SizeRange> ranges);
// Whether a range of `merged` (sorted as merged() leaves them) holds `size`.
bool contains(const QList<SizeRange> &merged, qint64 size);

} // namespace holdra::TextFileContent
