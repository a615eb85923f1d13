#include "Cli/CommandRequest.h"

#include <QCborArray>
#include <QCborMap>
#include <QCborValue>

namespace holdra::cli {

// CBOR byte strings carry every byte as it is, whatever the file names hold.
QByteArray CommandRequest::encode() const
{
    QCborArray typed;
    for (const QByteArray &argument : arguments)
        typed.append(argument);
    QCborMap map;
    map.insert(QStringLiteral("arguments"), typed);
    map.insert(QStringLiteral("directory"), workingDirectory);
    if (input)
        map.insert(QStringLiteral("input"), *input);
    return QCborValue(map).toCbor();
}

std::optional<CommandRequest> CommandRequest::decode(const QByteArray &bytes)
{
    const QCborValue value = QCborValue::fromCbor(bytes);
    if (!value.isMap())
        return std::nullopt;
    const QCborMap map = value.toMap();
    const QCborValue typed = map.value(QStringLiteral("arguments"));
    const QCborValue directory = map.value(QStringLiteral("directory"));
    const QCborValue input = map.value(QStringLiteral("input"));
    if (!typed.isArray() || !directory.isByteArray() || !(input.isUndefined() || input.isByteArray()))
        return std::nullopt;
    CommandRequest request;
    for (const QCborValue &argument : typed.toArray()) {
        if (!argument.isByteArray())
            return std::nullopt;
        request.arguments.append(argument.toByteArray());
    }
    request.workingDirectory = directory.toByteArray();
    if (input.isByteArray())
        request.input = input.toByteArray();
    return request;
}

} // namespace holdra::cli
