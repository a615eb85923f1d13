#include "Cli/ItemFormatter.h"

#include "Models/StashItemKind.h"
#include "Storage/MetadataCodec.h"

#include <algorithm>

namespace holdra::cli::ItemFormatter {

QString idText(const QUuid &id)
{
    // Spelt out directly: converting and upper-casing Qt's own text shows at 100,000 rows.
    static constexpr char digits[] = "0123456789ABCDEF";
    char text[36];
    char *at = text;
    const auto put = [&at](quint64 value, int bytes) {
        for (int shift = bytes * 8 - 4; shift >= 0; shift -= 4)
            *at++ = digits[(value >> shift) & 0xf];
    };
    put(id.data1, 4);
    *at++ = '-';
    put(id.data2, 2);
    *at++ = '-';
    put(id.data3, 2);
    *at++ = '-';
    put(quint64(id.data4[0]) << 8 | id.data4[1], 2);
    *at++ = '-';
    for (int i = 2; i < 8; ++i)
        put(id.data4[i], 1);
    return QString::fromLatin1(text, sizeof text);
}

namespace {

// The control characters (category Cc) and the escape character itself.
bool needsEscape(QChar c)
{
    return c.unicode() < 0x20 || c == u'\\' || (c.unicode() >= 0x7f && c.unicode() <= 0x9f);
}

} // namespace

QString escaped(const QString &text)
{
    // Most names need nothing, and are shared instead of copied.
    if (std::none_of(text.cbegin(), text.cend(), needsEscape))
        return text;
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\t':
            result += QLatin1String("\\t");
            break;
        case '\n':
            result += QLatin1String("\\n");
            break;
        case '\r':
            result += QLatin1String("\\r");
            break;
        case '\\':
            result += QLatin1String("\\\\");
            break;
        default:
            if (needsEscape(c))
                result += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
            else
                result += c;
        }
    }
    return result;
}

QString line(const StashItem &item)
{
    return idText(item.id()) + u'\t' + StashItemKinds::rawValue(item.kind()) + u'\t' + escaped(item.displayName())
        + u'\t' + item.byteSizeText().value_or(QString());
}

QString line(const TrashedItem &entry)
{
    return line(entry.item) + u'\t' + MetadataCodec::formatDate(entry.trashedAt);
}

QStringList details(const StashItem &item)
{
    QStringList lines{
        QStringLiteral("id: ") + idText(item.id()),
        QStringLiteral("kind: ") + StashItemKinds::rawValue(item.kind()),
        QStringLiteral("name: ") + escaped(item.displayName()),
        QStringLiteral("created: ") + MetadataCodec::formatDate(item.createdAt()),
        QStringLiteral("locked: ") + (item.locked() ? QStringLiteral("yes") : QStringLiteral("no")),
    };
    const auto add = [&lines](const char *name, const std::optional<QString> &value) {
        if (value)
            lines.append(QLatin1String(name) + QLatin1String(": ") + escaped(*value));
    };
    add("note", item.note());
    add("size", item.byteSizeText());
    add("pixels", item.pixelSizeText());
    add("duration", item.durationText());
    add("original name", item.originalFileName());
    add("stored as", item.relativePath());
    add("sha256", item.contentHash());
    add("url", item.urlString());
    add("title", item.linkTitle());
    add("text", item.text());
    return lines;
}

} // namespace holdra::cli::ItemFormatter
