#include "Models/StashItem.h"

#include "Storage/StoredFile.h"
#include "Support/ByteCount.h"
#include "Support/Graphemes.h"

#include <QFileInfo>
#include <QLocale>
#include <QMimeDatabase>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <utility>

namespace holdra {

namespace {

// The Unicode White_Space characters, line breaks included.
bool isWhiteSpace(QChar c)
{
    return c.isSpace();
}

// Space separators and TAB, but no line breaks.
bool isBlank(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

template<typename Predicate>
QString trimmed(const QString &text, Predicate isTrimmed)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isTrimmed(text.at(begin)))
        ++begin;
    while (end > begin && isTrimmed(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

std::optional<int> roundedDimension(double value)
{
    return static_cast<int>(std::round(value));
}

} // namespace

StashItem::StashItem(QUuid id, StashItemKind kind, QString displayName, QDateTime createdAt, bool locked,
                     std::optional<QString> note, std::optional<QString> relativePath, std::optional<qint64> byteSize,
                     std::optional<QString> originalFileName, std::optional<QString> contentHash,
                     std::optional<int> pixelWidth, std::optional<int> pixelHeight, std::optional<QString> text,
                     std::optional<QString> urlString, std::optional<QString> linkTitle,
                     std::optional<double> durationSeconds)
    : m_id(id)
    , m_kind(kind)
    , m_displayName(std::move(displayName))
    , m_createdAt(std::move(createdAt))
    , m_locked(locked)
    , m_note(normalizedNote(note))
    , m_relativePath(std::move(relativePath))
    , m_byteSize(byteSize)
    , m_originalFileName(std::move(originalFileName))
    , m_contentHash(std::move(contentHash))
    , m_pixelWidth(pixelWidth)
    , m_pixelHeight(pixelHeight)
    , m_text(std::move(text))
    , m_urlString(std::move(urlString))
    , m_linkTitle(std::move(linkTitle))
    , m_durationSeconds(durationSeconds)
{
}

StashItem StashItem::makeText(const QString &text, const QDateTime &createdAt, const QUuid &id)
{
    return StashItem(id, StashItemKind::text, summary(text), createdAt, false, {}, {}, {}, {}, {}, {}, {}, text, {}, {},
                     {});
}

StashItem StashItem::makeLink(const QString &urlString, const std::optional<QString> &title, const QDateTime &createdAt,
                              const QUuid &id)
{
    std::optional<QString> linkTitle;
    if (title)
        linkTitle = trimmed(*title, isWhiteSpace);

    QString displayName;
    if (linkTitle && !linkTitle->isEmpty()) {
        displayName = *linkTitle;
    } else {
        const QUrl url(urlString, QUrl::StrictMode);
        displayName = url.isValid() && !url.host().isEmpty() ? url.host() : urlString;
    }
    return StashItem(id, StashItemKind::link, displayName, createdAt, false, {}, {}, {}, {}, {}, {}, {}, {}, urlString,
                     linkTitle, {});
}

StashItem StashItem::makeFile(const StoredFile &stored, const QDateTime &createdAt, const QUuid &id)
{
    return StashItem(id, StashItemKind::file, stored.originalName, createdAt, false, {}, stored.relativePath,
                     stored.byteSize, stored.originalName, {}, {}, {}, {}, {}, {}, {});
}

StashItem StashItem::makeImage(const StoredFile &stored, const std::optional<QSizeF> &pixelSize,
                               const QDateTime &createdAt, const QUuid &id)
{
    StashItem item = makeFile(stored, createdAt, id);
    item.m_kind = StashItemKind::image;
    if (pixelSize) {
        item.m_pixelWidth = roundedDimension(pixelSize->width());
        item.m_pixelHeight = roundedDimension(pixelSize->height());
    }
    return item;
}

StashItem StashItem::makeAudio(const StoredFile &stored, std::optional<double> durationSeconds,
                               const std::optional<QString> &displayName, const QDateTime &createdAt, const QUuid &id)
{
    const QString name = displayName.value_or(
        QStringLiteral("录音 · ") + QLocale().toString(createdAt.toLocalTime().time(), QLocale::ShortFormat));
    return StashItem(id, StashItemKind::audio, name, createdAt, false, {}, stored.relativePath, stored.byteSize,
                     stored.originalName, {}, {}, {}, {}, {}, {}, durationSeconds);
}

std::optional<QString> StashItem::normalizedNote(const std::optional<QString> &note)
{
    if (!note)
        return std::nullopt;
    const QString trimmedNote = trimmed(*note, isWhiteSpace);
    if (trimmedNote.isEmpty())
        return std::nullopt;
    return leadingGraphemes(trimmedNote, 500);
}

QString StashItem::summary(const QString &text)
{
    // A CR LF pair is one character, so only a line feed standing alone ends a line.
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'\n' && (i == 0 || text.at(i - 1) != u'\r')) {
            lines.append(text.mid(start, i - start));
            start = i + 1;
        }
    }
    lines.append(text.mid(start));

    QStringList kept;
    for (const QString &line : std::as_const(lines)) {
        const QString trimmedLine = trimmed(line, isBlank);
        if (!trimmedLine.isEmpty())
            kept.append(trimmedLine);
        if (kept.size() == 2)
            break;
    }
    QString result = kept.join(u' ');
    if (result.isEmpty())
        result = trimmed(text, isWhiteSpace);
    return leadingGraphemes(result, 120);
}

StashItemKind StashItem::inferredKind(const QString &fileName, bool isDirectory)
{
    if (isDirectory)
        return StashItemKind::file;
    const QString extension = QFileInfo(fileName).suffix();
    if (extension.isEmpty() || QFileInfo(fileName).completeBaseName().isEmpty())
        return StashItemKind::file;

    static const QMimeDatabase database;
    const QList<QMimeType> types = database.mimeTypesForFileName(QStringLiteral("x.") + extension);
    if (types.isEmpty())
        return StashItemKind::file;
    const QMimeType &type = types.first();
    const auto conformsTo = [&type](QLatin1StringView prefix) {
        if (type.name().startsWith(prefix))
            return true;
        const QStringList ancestors = type.allAncestors();
        return std::any_of(ancestors.begin(), ancestors.end(),
                           [prefix](const QString &name) { return name.startsWith(prefix); });
    };
    if (conformsTo(QLatin1StringView("image/")))
        return StashItemKind::image;
    if (conformsTo(QLatin1StringView("audio/")))
        return StashItemKind::audio;
    return StashItemKind::file;
}

QSet<QUuid> StashItem::ids(const QList<StashItem> &items)
{
    QSet<QUuid> ids;
    ids.reserve(items.size());
    for (const StashItem &item : items)
        ids.insert(item.id());
    return ids;
}

QString StashItem::durationText(double seconds)
{
    const auto total = static_cast<qint64>(seconds);
    const qint64 minutes = total / 60;
    return QString::asprintf("%lld:%02lld", static_cast<long long>(minutes),
                             static_cast<long long>(total - 60 * minutes));
}

std::optional<QString> StashItem::notePreview() const
{
    if (!m_note)
        return std::nullopt;
    QStringList pieces;
    QString piece;
    for (QChar c : *m_note) {
        if (isWhiteSpace(c)) {
            if (!piece.isEmpty())
                pieces.append(std::exchange(piece, QString()));
        } else {
            piece.append(c);
        }
    }
    if (!piece.isEmpty())
        pieces.append(piece);
    return pieces.join(u' ');
}

std::optional<QString> StashItem::pixelSizeText() const
{
    if (!m_pixelWidth || !m_pixelHeight)
        return std::nullopt;
    return QString::number(*m_pixelWidth) + QStringLiteral(" × ") + QString::number(*m_pixelHeight);
}

std::optional<QString> StashItem::byteSizeText() const
{
    if (!m_byteSize)
        return std::nullopt;
    return formattedByteCount(*m_byteSize);
}

std::optional<QString> StashItem::durationText() const
{
    if (!m_durationSeconds)
        return std::nullopt;
    return durationText(*m_durationSeconds);
}

QString StashItem::txtFileName() const
{
    QString name = m_displayName;
    name.replace(u'/', u' ').replace(u':', u' ');
    name = leadingGraphemes(trimmed(name, isWhiteSpace), 40);
    if (name.isEmpty())
        name = QStringLiteral("暂存文本");
    return name + QStringLiteral(".txt");
}

} // namespace holdra
