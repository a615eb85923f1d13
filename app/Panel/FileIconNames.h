#pragma once

#include <QHash>
#include <QString>

#include <functional>
#include <optional>

namespace holdra {

// The icon theme's name for what a stored copy holds, remembered per MIME type:
// asking the theme means probing its directories on disk, and a long list holds
// many files of few types.
class FileIconNames
{
public:
    using ThemeProbe = std::function<bool(const QString &iconName)>;

    // `hasThemeIcon` answers whether the theme draws a name; QIcon's by default.
    explicit FileIconNames(ThemeProbe hasThemeIcon = {});

    // "folder" for folders; the type's own icon or else its generic one; empty
    // when the theme has neither (the row then draws the kind's symbol) or when
    // there is no copy.
    QString forCopy(const std::optional<QString> &absolutePath, bool isDirectory);

private:
    QString forType(const QString &typeName);

    ThemeProbe m_hasThemeIcon;
    QHash<QString, QString> m_byType;
};

} // namespace holdra
