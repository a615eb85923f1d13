#pragma once

#include <QList>
#include <QString>
#include <QUuid>

#include <variant>

namespace holdra::cli {

// Turns what a user typed for an item into one of the known ids: a whole UUID
// (braces and letter case optional) or a prefix of at least eight characters
// that only one id starts with.
class ItemIdResolver
{
public:
    static constexpr int minimumPrefixLength = 8;

    struct Failure
    {
        QString message;
    };
    using Result = std::variant<QUuid, Failure>;

    explicit ItemIdResolver(QList<QUuid> knownIds);

    Result resolve(const QString &typed) const;

private:
    QList<QUuid> m_knownIds;
};

} // namespace holdra::cli
