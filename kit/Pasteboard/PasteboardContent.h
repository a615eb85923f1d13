#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>
#include <variant>

namespace holdra {

// What a paste carries once classified; exactly one store operation follows from it.
struct PasteboardContent
{
    // One or more local files, in clipboard order.
    struct Files
    {
        QList<QUrl> urls;
        bool operator==(const Files &) const = default;
    };

    // Encoded image bytes and the extension to store them under.
    struct Image
    {
        QByteArray data;
        QString fileExtension;
        bool operator==(const Image &) const = default;
    };

    // An absolute web URL.
    struct Link
    {
        QString url;
        std::optional<QString> title;
        bool operator==(const Link &) const = default;
    };

    // Plain text exactly as read, not trimmed.
    struct Text
    {
        QString text;
        bool operator==(const Text &) const = default;
    };

    // Nothing usable.
    struct Empty
    {
        bool operator==(const Empty &) const = default;
    };

    std::variant<Empty, Files, Image, Link, Text> value;

    bool operator==(const PasteboardContent &) const = default;
};

} // namespace holdra
