#include "Panel/FileIconNames.h"

#include <QIcon>
#include <QMimeDatabase>

namespace holdra {

FileIconNames::FileIconNames(ThemeProbe hasThemeIcon)
    : m_hasThemeIcon(hasThemeIcon ? std::move(hasThemeIcon) : ThemeProbe(&QIcon::hasThemeIcon))
{
}

QString FileIconNames::forCopy(const std::optional<QString> &absolutePath, bool isDirectory)
{
    if (isDirectory)
        return QStringLiteral("folder");
    if (!absolutePath)
        return {};
    // By name only: reading the contents of every listed file would stall the list.
    return forType(QMimeDatabase().mimeTypeForFile(*absolutePath, QMimeDatabase::MatchExtension).name());
}

QString FileIconNames::forType(const QString &typeName)
{
    const auto known = m_byType.constFind(typeName);
    if (known != m_byType.constEnd())
        return *known;
    const QMimeType type = QMimeDatabase().mimeTypeForName(typeName);
    QString found;
    // Themes rarely draw every type; the generic icon ("x-office-document") is next best.
    for (const QString &name : {type.iconName(), type.genericIconName()}) {
        if (m_hasThemeIcon(name)) {
            found = name;
            break;
        }
    }
    m_byType.insert(typeName, found);
    return found;
}

} // namespace holdra
