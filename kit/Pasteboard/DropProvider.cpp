#include "Pasteboard/DropProvider.h"

#include <utility>

namespace holdra {

DropProvider::DropProvider(QStringList types, Loader loader, std::optional<QString> suggestedName)
    : m_types(std::move(types))
    , m_loader(std::move(loader))
    , m_suggestedName(std::move(suggestedName))
{
}

std::optional<QByteArray> DropProvider::load(const QString &type) const
{
    if (!m_loader || !offers(type))
        return std::nullopt;
    return m_loader(type);
}

} // namespace holdra
