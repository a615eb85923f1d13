#include "Cli/ItemIdResolver.h"

namespace holdra::cli {

ItemIdResolver::ItemIdResolver(QList<QUuid> knownIds) : m_knownIds(std::move(knownIds)) {}

ItemIdResolver::Result ItemIdResolver::resolve(const QString &typed) const
{
    QString key = typed.trimmed().toUpper();
    if (key.startsWith(u'{') && key.endsWith(u'}'))
        key = key.mid(1, key.size() - 2);
    if (key.size() < minimumPrefixLength)
        return Failure{QStringLiteral("“%1”: an id needs at least %2 characters").arg(typed).arg(minimumPrefixLength)};

    const QUuid *match = nullptr;
    for (const QUuid &id : m_knownIds) {
        if (!id.toString(QUuid::WithoutBraces).toUpper().startsWith(key))
            continue;
        if (match && *match != id)
            return Failure{QStringLiteral("“%1”: more than one item has an id starting like this").arg(typed)};
        match = &id;
    }
    if (!match)
        return Failure{QStringLiteral("“%1”: no such item").arg(typed)};
    return *match;
}

} // namespace holdra::cli
