#include "Panel/StashItemPresentation.h"

#include "Support/DateText.h"

#include <QFileInfo>
#include <QStringList>
#include <QUrl>

namespace holdra::StashItemPresentation {

QString idText(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

QUuid idFromText(const QString &text)
{
    return QUuid::fromString(text);
}

QString kindWord(StashItemKind kind, bool isDirectory)
{
    if (isDirectory)
        return QStringLiteral("文件夹");
    return StashItemKinds::localizedName(kind);
}

std::optional<QString> linkHost(const std::optional<QString> &urlString)
{
    if (!urlString)
        return std::nullopt;
    const QUrl url(*urlString, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return std::nullopt;
    return url.host();
}

QString subtitle(const StashItem &item, bool isDirectory)
{
    QStringList parts{kindWord(item.kind(), isDirectory)};
    if (item.kind() == StashItemKind::audio && item.durationSeconds())
        parts.append(StashItem::durationText(*item.durationSeconds()));
    if (const auto pixels = item.pixelSizeText())
        parts.append(*pixels);
    else if (const auto bytes = item.byteSizeText())
        parts.append(*bytes);
    else if (item.kind() == StashItemKind::link) {
        if (const auto host = linkHost(item.urlString()))
            parts.append(*host);
    }
    parts.append(abbreviatedDateTime(item.createdAt()));
    return parts.join(QStringLiteral(" · "));
}

QString accessibleName(const StashItem &item, bool isDirectory, bool selected)
{
    QStringList parts{kindWord(item.kind(), isDirectory), item.displayName()};
    if (const auto note = item.notePreview(); note && !note->isEmpty())
        parts.append(QStringLiteral("备注：") + *note);
    if (selected)
        parts.append(QStringLiteral("已选中"));
    if (item.locked())
        parts.append(QStringLiteral("已锁定"));
    return parts.join(QStringLiteral("，"));
}

QString trashSubtitle(const StashItem &item, const QDateTime &trashedAt)
{
    return StashItemKinds::localizedName(item.kind()) + QStringLiteral(" · 清除于 ") + abbreviatedDateTime(trashedAt);
}

bool isStoredDirectory(const StashItem &item, const std::optional<QString> &absolutePath)
{
    return item.kind() == StashItemKind::file && absolutePath && QFileInfo(*absolutePath).isDir();
}

} // namespace holdra::StashItemPresentation
