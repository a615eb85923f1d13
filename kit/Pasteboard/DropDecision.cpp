#include "Pasteboard/DropDecision.h"

#include "Pasteboard/DropFileURLLoader.h"

#include <QMimeDatabase>
#include <QStringDecoder>

#include <algorithm>

namespace holdra::DropDecision {

namespace {

const QString defaultAudioExtension = QStringLiteral("m4a");
const QString defaultImageExtension = QStringLiteral("png");

QStringView baseType(QStringView type)
{
    const qsizetype parameters = type.indexOf(u';');
    return (parameters < 0 ? type : type.first(parameters)).trimmed();
}

QStringView charset(QStringView type)
{
    for (QStringView parameter : type.tokenize(u';', Qt::SkipEmptyParts)) {
        parameter = parameter.trimmed();
        if (parameter.startsWith(u"charset=", Qt::CaseInsensitive))
            return parameter.sliced(8).trimmed();
    }
    return {};
}

bool conforms(const QMimeType &type, QStringView family)
{
    const QString prefix = family.toString() + u'/';
    if (type.name().startsWith(prefix))
        return true;
    const QStringList ancestors = type.allAncestors();
    return std::any_of(ancestors.cbegin(), ancestors.cend(),
                       [&](const QString &ancestor) { return ancestor.startsWith(prefix); });
}

struct MediaType
{
    QString offered;
    QString fileExtension;
};

// The first offered type of the family that has a file-name extension, else
// the first of the family at all. Names the MIME database does not know are
// skipped, so private formats such as application/x-qt-image never count.
std::optional<MediaType> preferredType(const DropProvider &provider, QStringView family)
{
    const QMimeDatabase database;
    std::optional<MediaType> first;
    for (const QString &offered : provider.types()) {
        const QMimeType type = database.mimeTypeForName(baseType(offered).toString());
        if (!type.isValid() || !conforms(type, family))
            continue;
        MediaType candidate{offered, type.preferredSuffix()};
        if (!candidate.fileExtension.isEmpty())
            return candidate;
        if (!first)
            first = candidate;
    }
    return first;
}

// An empty payload is treated as a failed load: there is nothing to store.
std::optional<QByteArray> loadBytes(const DropProvider &provider, const QString &type)
{
    std::optional<QByteArray> bytes = provider.load(type);
    if (!bytes || bytes->isEmpty())
        return std::nullopt;
    return bytes;
}

std::optional<DropContent> loadAudio(const DropProvider &provider)
{
    const std::optional<MediaType> type = preferredType(provider, u"audio");
    if (!type)
        return std::nullopt;
    std::optional<QByteArray> bytes = loadBytes(provider, type->offered);
    if (!bytes)
        return std::nullopt;
    const QString extension = type->fileExtension.isEmpty() ? defaultAudioExtension : type->fileExtension;
    return DropContent{DropContent::Audio{
        *bytes, dropFileName(provider.suggestedName(), QStringLiteral("拖入录音"), extension), extension}};
}

std::optional<DropContent> loadImage(const DropProvider &provider)
{
    const std::optional<MediaType> type = preferredType(provider, u"image");
    if (!type)
        return std::nullopt;
    std::optional<QByteArray> bytes = loadBytes(provider, type->offered);
    if (!bytes)
        return std::nullopt;
    const QString extension = type->fileExtension.isEmpty() ? defaultImageExtension : type->fileExtension;
    return DropContent{DropContent::Image{*bytes, QStringLiteral("拖入图片"), extension}};
}

QString decodedText(const QByteArray &bytes, QStringView charsetName)
{
    QStringDecoder decoder(charsetName.toLatin1().constData());
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    // X clients often send C strings; the terminator is not part of the text.
    while (text.endsWith(QChar(u'\0')))
        text.chop(1);
    return text;
}

std::optional<QString> loadText(const DropProvider &provider)
{
    for (const QString &offered : provider.types()) {
        if (baseType(offered).compare(u"text/plain", Qt::CaseInsensitive) != 0)
            continue;
        if (const std::optional<QByteArray> bytes = provider.load(offered))
            return decodedText(*bytes, charset(offered));
    }
    return std::nullopt;
}

QString lastPathComponent(QString path)
{
    while (path.endsWith(u'/'))
        path.chop(1);
    return path.sliced(path.lastIndexOf(u'/') + 1);
}

bool hasPathExtension(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 && dot < name.size() - 1;
}

QString trimmedExtension(const QString &extension)
{
    qsizetype begin = 0;
    qsizetype end = extension.size();
    const auto isTrimmed = [](QChar c) { return c == u'.' || c == u' '; };
    while (begin < end && isTrimmed(extension[begin]))
        ++begin;
    while (end > begin && isTrimmed(extension[end - 1]))
        --end;
    return extension.sliced(begin, end - begin);
}

} // namespace

std::optional<DropContent> decide(const DropProvider &provider)
{
    const std::optional<QUrl> url = DropFileURLLoader::load(provider);
    if (url && url->isLocalFile())
        return DropContent{DropContent::File{*url}};
    if (std::optional<DropContent> audio = loadAudio(provider))
        return audio;
    if (std::optional<DropContent> image = loadImage(provider))
        return image;
    if (url)
        return DropContent{DropContent::Link{url->toString(QUrl::FullyEncoded)}};
    if (std::optional<QString> text = loadText(provider); text && !text->trimmed().isEmpty())
        return DropContent{DropContent::Text{*text}};
    return std::nullopt;
}

QString dropFileName(const std::optional<QString> &suggested, const QString &fallback, const QString &fileExtension)
{
    const QString trimmed = suggested ? suggested->trimmed() : QString();
    QString name = lastPathComponent(trimmed.isEmpty() ? fallback : trimmed);
    // "." and ".." would name the item directory or its parent, not a file.
    if (name.isEmpty() || name == u"." || name == u"..")
        name = lastPathComponent(fallback);
    for (QChar &c : name) {
        if (c == u':' || c.category() == QChar::Other_Control)
            c = u'-';
    }
    const QString extension = trimmedExtension(fileExtension);
    if (!extension.isEmpty() && !hasPathExtension(name))
        name += u'.' + extension;
    return name;
}

} // namespace holdra::DropDecision
