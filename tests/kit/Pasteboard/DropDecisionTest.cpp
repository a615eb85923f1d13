#include "Pasteboard/DropDecision.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

using namespace holdra;
using namespace Qt::StringLiterals;

namespace {

using Representation = std::pair<QString, std::optional<QByteArray>>;

// The decision over fixed representations; nothing stands for a load that fails.
std::optional<DropContent> decide(const QList<Representation> &representations,
                                  std::optional<QString> suggestedName = std::nullopt)
{
    QStringList types;
    for (const Representation &representation : representations)
        types.append(representation.first);
    return DropDecision::decide(DropProvider(
        types,
        [representations](const QString &type) -> std::optional<QByteArray> {
            for (const Representation &representation : representations) {
                if (representation.first == type)
                    return representation.second;
            }
            return std::nullopt;
        },
        std::move(suggestedName)));
}

QByteArray utf16LE(const QString &text)
{
    return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

const QByteArray pngBytes("\x89PNG\r\n\x1a\n-image-");

} // namespace

// A local file, then audio, an image, a link, text; a representation that fails to load or is
// empty falls through; an audio or image type without a file-name extension gives
// way to a later one of its family that has one.
TEST(DropDecisionTest, DecidesByKindInOrder)
{
    using C = DropContent;
    const Representation webLink{u"text/uri-list"_s, QByteArray("https://example.com/cat.png")};
    const Representation text{u"text/plain"_s, QByteArray("a cat")};
    const Representation image{u"image/png"_s, pngBytes};
    const Representation adpcm{u"audio/x-adpcm"_s, QByteArray("adpcm")};
    const std::optional<QByteArray> failed;
    const struct
    {
        const char *what;
        QList<Representation> offered;
        std::optional<QString> suggestedName;
        std::optional<DropContent> expected;
    } cases[] = {
        {"a local file wins over everything",
         {image,
          {u"audio/mpeg"_s, QByteArray("ID3")},
          {u"text/uri-list"_s, QByteArray("file:///home/u/shot%201.png")},
          text},
         {},
         C{C::File{QUrl::fromLocalFile(u"/home/u/shot 1.png"_s)}}},
        {"a browser image drag offers the page too",
         {webLink, text, image},
         {},
         C{C::Image{pngBytes, u"拖入图片"_s, u"png"_s}}},
        {"audio before an image",
         {image, {u"audio/mpeg"_s, QByteArray("ID3")}},
         {},
         C{C::Audio{"ID3", u"拖入录音.mp3"_s, u"mp3"_s}}},
        {"a browser link drag is a link", {text, webLink}, {}, C{C::Link{u"https://example.com/cat.png"_s}}},
        {"text", {text}, {}, C{C::Text{u"a cat"_s}}},
        {"failed audio",
         {{u"audio/ogg"_s, failed}, {u"image/jpeg"_s, QByteArray("jpeg")}},
         {},
         C{C::Image{"jpeg", u"拖入图片"_s, u"jpg"_s}}},
        {"empty image, UTF-16 link",
         {{u"image/png"_s, QByteArray()}, {u"text/x-moz-url"_s, utf16LE(u"https://例子.测试/路径\n标题"_s)}},
         {},
         C{C::Link{u"https://xn--fsqu00a.xn--0zwm56d/%E8%B7%AF%E5%BE%84"_s}}},
        // A file on another machine is neither staged nor turned into a link.
        {"remote file",
         {{u"text/uri-list"_s, QByteArray("file://nas/share/a.txt")}, {u"text/plain"_s, QByteArray("a.txt")}},
         {},
         C{C::Text{u"a.txt"_s}}},
        {"an audio type with an extension later",
         {adpcm, {u"audio/x-nonsense"_s, QByteArray("?")}, {u"audio/mpeg"_s, QByteArray("mp3")}},
         {},
         C{C::Audio{"mp3", u"拖入录音.mp3"_s, u"mp3"_s}}},
        {"no extension for the only audio type", {adpcm}, {}, C{C::Audio{"adpcm", u"拖入录音.m4a"_s, u"m4a"_s}}},
        {"a suggested name",
         {{u"audio/x-m4a"_s, QByteArray("m4a")}},
         u"  Voice Memo "_s,
         C{C::Audio{"m4a", u"Voice Memo.m4a"_s, u"m4a"_s}}},
        {"an image type without extension",
         {{u"image/x-dcraw"_s, QByteArray("raw")}},
         {},
         C{C::Image{"raw", u"拖入图片"_s, u"png"_s}}},
        // Text keeps its spacing and honours the charset.
        {"Latin-1 text",
         {{u"text/plain;charset=ISO-8859-1"_s, QByteArray("  \xe9t\xe9\n")}},
         {},
         C{C::Text{u"  été\n"_s}}},
        {"NUL-terminated text", {{u"text/plain"_s, QByteArray("笔记") + '\0'}}, {}, C{C::Text{u"笔记"_s}}},
        {"unknown charset", {{u"text/plain; charset=x-made-up"_s, QByteArray("笔记")}}, {}, C{C::Text{u"笔记"_s}}},
        {"nothing", {}, {}, std::nullopt},
        {"blank text", {{u"text/plain"_s, QString::fromUtf16(u" \t\r\n\u3000").toUtf8()}}, {}, std::nullopt},
        {"unusable types",
         {{u"application/x-qt-image"_s, pngBytes}, {u"x-special/gnome-icon-list"_s, QByteArray("icons")}},
         {},
         std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(decide(c.offered, c.suggestedName), c.expected) << c.what;
    EXPECT_EQ(DropDecision::decide(DropProvider({u"text/plain"_s}, nullptr)), std::nullopt);
}

TEST(DropDecisionTest, DropFileNameKeepsOnlyASafeLastComponent)
{
    const auto name = [](const std::optional<QString> &suggested, const QString &extension) {
        return DropDecision::dropFileName(suggested, u"拖入录音"_s, extension);
    };
    EXPECT_EQ(name(u"a:b.wav"_s, u"m4a"_s), u"a-b.wav"_s);
    EXPECT_EQ(name(u"../../etc/clip"_s, u"m4a"_s), u"clip.m4a"_s);
    EXPECT_EQ(name(u"memos/"_s, u"m4a"_s), u"memos.m4a"_s);
    for (const QString &nothing : {u".."_s, u"/"_s, u" \n "_s})
        EXPECT_EQ(name(nothing, u"m4a"_s), u"拖入录音.m4a"_s);
    EXPECT_EQ(name(std::nullopt, u" .wav. "_s), u"拖入录音.wav"_s);
    EXPECT_EQ(name(QStringView(u"a\nb\u0000c", 5).toString(), u"m4a"_s), u"a-b-c.m4a"_s);
    EXPECT_EQ(name(u"take"_s, u". ."_s), u"take"_s);
}
