#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <variant>

namespace holdra {

// What one dropped provider carries, decided by DropDecision; the application
// turns each case into the matching stage operation of the store.
struct DropContent
{
    // A local file, possibly one of the stash's own stored copies dragged back in.
    struct File
    {
        QUrl url;
        bool operator==(const File &) const = default;
    };

    // A recording handed over as bytes.
    struct Audio
    {
        QByteArray data;
        QString suggestedName;
        QString fileExtension;
        bool operator==(const Audio &) const = default;
    };

    // Encoded image bytes.
    struct Image
    {
        QByteArray data;
        QString suggestedName;
        QString fileExtension;
        bool operator==(const Image &) const = default;
    };

    // A URL that is not a local file, as its encoded absolute string.
    struct Link
    {
        QString url;
        bool operator==(const Link &) const = default;
    };

    // Text that is not blank, exactly as dropped.
    struct Text
    {
        QString text;
        bool operator==(const Text &) const = default;
    };

    std::variant<File, Audio, Image, Link, Text> value;

    bool operator==(const DropContent &) const = default;
};

} // namespace holdra
