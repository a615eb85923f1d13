#include "Cli/ItemIdResolver.h"

namespace holdra::cli {

ItemIdResolver::ItemIdResolver(QList<QUuid> knownIds)
    : m_knownIds(std::move(knownIds))
{
}

ItemIdResolver::Result ItemIdResolver::resolve(const QString &typed) const
{
    QString key = typed.trimmed().toUpper();
    if (key.startsWith(u'{') && key.endsWith(u'}'))
        key = key.mid(1, key.size() - 2);
    if (key.size() < minimumPrefixLength)
        return Failure{QStringLiteral("“%1”：id 至少需要 %2 个字符").arg(typed).arg(minimumPrefixLength)};

    const QUuid *match = nullptr;
    for (const QUuid &id : m_knownIds) {
        if (!id.toString(QUuid::WithoutBraces).toUpper().startsWith(key))
            continue;
        if (match && *match != id)
            return Failure{QStringLiteral("“%1”：不止一项的 id 以此开头").arg(typed)};
        match = &id;
    }
    if (!match)
        return Failure{QStringLiteral("“%1”：没有这一项").arg(typed)};
    return *match;
}

} // namespace holdra::cli
