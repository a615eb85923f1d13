#include "Cli/InstanceProtocol.h"

namespace holdra::cli::InstanceProtocol {

namespace {
// The length line of a framed message: a decimal number.
constexpr qsizetype maximumLengthLine = 20;
} // namespace

QByteArray frame(QByteArrayView header, const QByteArray &payload)
{
    return header.toByteArray().append('\n').append(QByteArray::number(payload.size())).append('\n').append(payload);
}

Frame unframe(const QByteArray &buffered, QByteArrayView header)
{
    const qsizetype lengthStart = header.size() + 1;
    const qsizetype lengthEnd = buffered.indexOf('\n', lengthStart);
    if (lengthEnd < 0)
        return {buffered.size() - lengthStart > maximumLengthLine ? Frame::Malformed : Frame::Incomplete, {}};
    bool ok = false;
    const qint64 length = buffered.mid(lengthStart, lengthEnd - lengthStart).toLongLong(&ok);
    if (!ok || length < 0 || length > maximumRequestSize)
        return {Frame::Malformed, {}};
    if (buffered.size() - lengthEnd - 1 < length)
        return {Frame::Incomplete, {}};
    return {Frame::Complete, buffered.mid(lengthEnd + 1, length)};
}

} // namespace holdra::cli::InstanceProtocol
