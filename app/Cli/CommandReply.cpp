#include "Cli/CommandReply.h"

#include <QCborMap>
#include <QCborValue>

namespace holdra::cli {

QByteArray CommandReply::encode() const
{
    QCborMap map;
    map.insert(QStringLiteral("status"), status);
    map.insert(QStringLiteral("out"), out);
    map.insert(QStringLiteral("err"), err);
    return QCborValue(map).toCbor();
}

std::optional<CommandReply> CommandReply::decode(const QByteArray &bytes)
{
    const QCborValue value = QCborValue::fromCbor(bytes);
    if (!value.isMap())
        return std::nullopt;
    const QCborMap map = value.toMap();
    const QCborValue status = map.value(QStringLiteral("status"));
    const QCborValue out = map.value(QStringLiteral("out"));
    const QCborValue err = map.value(QStringLiteral("err"));
    if (!status.isInteger() || !out.isByteArray() || !err.isByteArray())
        return std::nullopt;
    return CommandReply{int(status.toInteger()), out.toByteArray(), err.toByteArray()};
}

} // namespace holdra::cli
