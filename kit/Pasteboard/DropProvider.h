#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace holdra {

// One dragged item as a drop target sees it: the MIME types it offers, in the
// sender's order, and a loader that fetches the bytes of one of them. The
// application makes one provider per dropped URL or payload, in drop order.
class DropProvider
{
public:
    // Returns nothing when the representation cannot be fetched.
    using Loader = std::function<std::optional<QByteArray>(const QString &type)>;

    DropProvider(QStringList types, Loader loader, std::optional<QString> suggestedName = std::nullopt);

    const QStringList &types() const { return m_types; }
    const std::optional<QString> &suggestedName() const { return m_suggestedName; }
    bool offers(const QString &type) const { return m_types.contains(type); }

    // The bytes of an offered type; nothing when it is not offered or the loader fails.
    std::optional<QByteArray> load(const QString &type) const;

private:
    QStringList m_types;
    Loader m_loader;
    std::optional<QString> m_suggestedName;
};

} // namespace holdra
