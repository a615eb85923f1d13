#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace holdra::cli {

// What a later `holdra` and the running Holdra say over the instance socket.
// A request is a typed, versioned header line ("holdra-open 1"), its payload
// lines and an empty line; the answer is one line. A command ("holdra-command 1")
// carries its payload as a length line and that many bytes, and so does its
// answer ("holdra-reply 1"). New request types only need a header of their own.
namespace InstanceProtocol {

inline constexpr QByteArrayView openHeader = "holdra-open 1";
inline constexpr QByteArrayView settingsHeader = "holdra-settings 1";
inline constexpr QByteArrayView toggleHeader = "holdra-toggle 1";
inline constexpr QByteArrayView commandHeader = "holdra-command 1";
inline constexpr QByteArrayView replyHeader = "holdra-reply 1";
inline constexpr QByteArrayView acceptedReply = "ok";
// Forwarded lists are file names and texts, not bulk data.
inline constexpr qint64 maximumRequestSize = 64 * 1024 * 1024;

// "HEADER\nLENGTH\nPAYLOAD": binary payloads need their length, not an end mark.
QByteArray frame(QByteArrayView header, const QByteArray &payload);

struct Frame
{
    enum State { Incomplete, Complete, Malformed } state = Incomplete;
    QByteArray payload;
};

// The payload of the framed message at the start of `buffered`, which begins
// with `header` and a newline.
Frame unframe(const QByteArray &buffered, QByteArrayView header);

} // namespace InstanceProtocol
} // namespace holdra::cli
