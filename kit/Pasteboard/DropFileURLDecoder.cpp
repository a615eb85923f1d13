#include "Pasteboard/DropFileURLDecoder.h"

#include <QStringConverter>
#include <QStringDecoder>
#include <QSysInfo>
#include <QUtf8StringView>

namespace holdra::DropFileURLDecoder {

namespace {

bool isTrimmable(QChar c)
{
    return c.isSpace() || c.category() == QChar::Other_Control;
}

QStringView trimmed(QStringView line)
{
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && isTrimmable(line[begin]))
        ++begin;
    while (end > begin && isTrimmable(line[end - 1]))
        --end;
    return line.sliced(begin, end - begin);
}

// The candidate lines of a uri-list: trimmed, not empty and not comments.
QList<QStringView> entries(QStringView text)
{
    QList<QStringView> result;
    for (QStringView line : text.tokenize(u'\n')) {
        // Splitting at LF only leaves the CR of CRLF lists to the trim.
        const QStringView entry = trimmed(line);
        if (!entry.isEmpty() && !entry.startsWith(u'#'))
            result.append(entry);
    }
    return result;
}

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// A "%" must start an escape; tolerant parsing would otherwise quietly turn a
// broken one into a literal percent sign and name a different file.
bool hasMalformedEscape(QStringView entry)
{
    for (qsizetype i = 0; i < entry.size(); ++i) {
        if (entry[i] != u'%')
            continue;
        if (i + 2 >= entry.size())
            return true;
        if (!isHexDigit(entry[i + 1]) || !isHexDigit(entry[i + 2]))
            return true;
        i += 2;
    }
    return false;
}

// Tolerant parsing accepts the unencoded spaces and raw non-ASCII names that
// many senders put into uri-lists.
QUrl parsed(QStringView entry)
{
    return QUrl(entry.toString(), QUrl::TolerantMode);
}

std::optional<QUrl> decodeEntry(QStringView entry)
{
    if (hasMalformedEscape(entry))
        return std::nullopt;
    return decode(parsed(entry));
}

QString textFromBytes(const QByteArray &bytes)
{
    std::optional<QStringConverter::Encoding> encoding = QStringConverter::encodingForData(bytes);
    if (!encoding && bytes.size() >= 2 && bytes.size() % 2 == 0) {
        if (bytes[0] != '\0' && bytes[1] == '\0')
            encoding = QStringConverter::Utf16LE;
        else if (bytes[0] == '\0' && bytes[1] != '\0')
            encoding = QStringConverter::Utf16BE;
    }
    QStringDecoder decoder(encoding.value_or(QStringConverter::Utf8));
    return decoder.decode(bytes);
}

bool isThisMachine(const QString &host)
{
    return host.isEmpty() || host.compare(u"localhost", Qt::CaseInsensitive) == 0
        || host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) == 0;
}

} // namespace

std::optional<QUrl> decode(const QUrl &url)
{
    if (!url.isValid() || url.scheme() != u"file" || !isThisMachine(url.host()))
        return std::nullopt;
    if (url.hasQuery() || url.hasFragment())
        return std::nullopt;
    // A name that is not UTF-8 (percent-encoded raw bytes) would decode with
    // replacement characters and could name some other file; such a file
    // cannot be reached through a path string, so it is not taken.
    const QByteArray pathBytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    if (!QUtf8StringView(pathBytes).isValidUtf8())
        return std::nullopt;
    QString path = url.path(QUrl::FullyDecoded);
    if (!path.startsWith(u'/') || path.contains(QChar(u'\0')))
        return std::nullopt;
    // "//x" would read as a host name to fromLocalFile; on Linux it is just "/x".
    while (path.startsWith(QStringLiteral("//")))
        path.remove(0, 1);
    return QUrl::fromLocalFile(path);
}

std::optional<QUrl> decode(const QString &text)
{
    for (QStringView entry : entries(text)) {
        if (std::optional<QUrl> url = decodeEntry(entry))
            return url;
    }
    return std::nullopt;
}

std::optional<QUrl> decode(const QByteArray &bytes)
{
    return decode(textFromBytes(bytes));
}

QList<QUrl> decodeAll(const QByteArray &bytes)
{
    const QString text = textFromBytes(bytes);
    QList<QUrl> result;
    for (QStringView entry : entries(text)) {
        if (std::optional<QUrl> url = decodeEntry(entry))
            result.append(*url);
    }
    return result;
}

std::optional<QUrl> firstURL(const QByteArray &bytes)
{
    // The views point into the text, which must outlive them.
    const QString text = textFromBytes(bytes);
    const QList<QStringView> candidates = entries(text);
    if (candidates.isEmpty())
        return std::nullopt;
    // Only the first line: in text/x-moz-url the second one is the page title.
    if (hasMalformedEscape(candidates.first()))
        return std::nullopt;
    const QUrl url = parsed(candidates.first());
    if (!url.isValid() || url.isRelative())
        return std::nullopt;
    if (url.scheme() == u"file")
        return decode(url);
    return url;
}

} // namespace holdra::DropFileURLDecoder
