#include "Models/StashItemKind.h"

namespace holdra::StashItemKinds {

QList<StashItemKind> allCases()
{
    return {StashItemKind::file, StashItemKind::image, StashItemKind::text, StashItemKind::link, StashItemKind::audio};
}

QString rawValue(StashItemKind kind)
{
    switch (kind) {
    case StashItemKind::file:
        return QStringLiteral("file");
    case StashItemKind::image:
        return QStringLiteral("image");
    case StashItemKind::text:
        return QStringLiteral("text");
    case StashItemKind::link:
        return QStringLiteral("link");
    case StashItemKind::audio:
        return QStringLiteral("audio");
    }
    Q_UNREACHABLE();
    return {};
}

std::optional<StashItemKind> fromRawValue(QStringView raw)
{
    for (StashItemKind kind : allCases()) {
        if (raw == rawValue(kind))
            return kind;
    }
    return std::nullopt;
}

QString symbolName(StashItemKind kind)
{
    switch (kind) {
    case StashItemKind::file:
        return QStringLiteral("doc");
    case StashItemKind::image:
        return QStringLiteral("photo");
    case StashItemKind::text:
        return QStringLiteral("text.alignleft");
    case StashItemKind::link:
        return QStringLiteral("link");
    case StashItemKind::audio:
        return QStringLiteral("waveform");
    }
    Q_UNREACHABLE();
    return {};
}

QString localizedName(StashItemKind kind)
{
    switch (kind) {
    case StashItemKind::file:
        return QStringLiteral("文件");
    case StashItemKind::image:
        return QStringLiteral("图片");
    case StashItemKind::text:
        return QStringLiteral("文字");
    case StashItemKind::link:
        return QStringLiteral("链接");
    case StashItemKind::audio:
        return QStringLiteral("录音");
    }
    Q_UNREACHABLE();
    return {};
}

bool hasStoredCopy(StashItemKind kind)
{
    return kind == StashItemKind::file || kind == StashItemKind::image || kind == StashItemKind::audio;
}

} // namespace holdra::StashItemKinds
