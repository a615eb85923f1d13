#include "Cli/ItemFormatter.h"

#include "Models/StashItemKind.h"
#include "Storage/MetadataCodec.h"

#include <algorithm>

namespace holdra::cli::ItemFormatter {

QString idText(const QUuid &id)
{
    // The ASCII upper-casing of the bytes is a tenth of QString's, which shows at 100,000 rows.
    return QString::fromLatin1(id.toByteArray(QUuid::WithoutBraces).toUpper());
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
    return QStringList{idText(item.id()), StashItemKinds::rawValue(item.kind()), escaped(item.displayName()),
                       item.byteSizeText().value_or(QString())}
        .join(u'\t');
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
