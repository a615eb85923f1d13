#include "Pasteboard/DropDecision.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

using namespace holdra;
using namespace Qt::StringLiterals;

namespace {

using Representation = std::pair<QString, std::optional<QByteArray>>;

// A provider over fixed representations; nothing stands for a load that fails.
// Every load is logged in `loads` when given, so tests can see what was fetched.
DropProvider fakeProvider(const QList<Representation> &representations,
                          std::optional<QString> suggestedName = std::nullopt, QStringList *loads = nullptr)
{
    QStringList types;
    for (const Representation &representation : representations)
        types.append(representation.first);
    return DropProvider(
        types,
        [representations, loads](const QString &type) -> std::optional<QByteArray> {
            if (loads)
                loads->append(type);
            for (const Representation &representation : representations) {
                if (representation.first == type)
                    return representation.second;
            }
            return std::nullopt;
        },
        std::move(suggestedName));
}

std::optional<DropContent> decide(const QList<Representation> &representations,
                                  std::optional<QString> suggestedName = std::nullopt)
{
    return DropDecision::decide(fakeProvider(representations, std::move(suggestedName)));
}

// The content as the kind a test expects; another kind or none throws, which fails the test.
template<typename Case>
Case as(const std::optional<DropContent> &content)
{
    return std::get<Case>(content.value().value);
}

QByteArray utf16LE(const QString &text)
{
    return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

const QByteArray pngBytes("\x89PNG\r\n\x1a\n-image-");

} // namespace

TEST(DropDecisionTest, FileURLWinsOverEverythingElseWithoutLoadingTheRest)
{
    QStringList loads;
    const DropProvider provider = fakeProvider({{u"image/png"_s, pngBytes},
                                                {u"text/uri-list"_s, QByteArray("file:///home/u/shot%201.png\r\n")},
                                                {u"audio/mpeg"_s, QByteArray("ID3")},
                                                {u"text/plain"_s, QByteArray("/home/u/shot 1.png")}},
                                               std::nullopt, &loads);
    EXPECT_EQ(as<DropContent::File>(DropDecision::decide(provider)).url, QUrl::fromLocalFile(u"/home/u/shot 1.png"_s));
    EXPECT_EQ(loads, QStringList{u"text/uri-list"_s});
}

TEST(DropDecisionTest, AudioThenImageThenLinkThenText)
{
    const Representation webLink{u"text/uri-list"_s, QByteArray("https://example.com/cat.png")};
    const Representation text{u"text/plain"_s, QByteArray("a cat")};
    const Representation image{u"image/png"_s, pngBytes};
    const Representation audio{u"audio/mpeg"_s, QByteArray("ID3-bytes")};

    // A browser image drag offers the page URL too: the image wins.
    const DropContent::Image picture = as<DropContent::Image>(decide({webLink, text, image}));
    EXPECT_EQ(picture, (DropContent::Image{pngBytes, u"拖入图片"_s, u"png"_s}));

    EXPECT_EQ(as<DropContent::Audio>(decide({image, audio})).data, QByteArray("ID3-bytes"));

    // A browser link drag (URL plus text) is a link, not text.
    EXPECT_EQ(as<DropContent::Link>(decide({text, webLink})).url, u"https://example.com/cat.png"_s);

    EXPECT_EQ(as<DropContent::Text>(decide({text})).text, u"a cat"_s);
}

TEST(DropDecisionTest, FailedOrEmptyRepresentationsFallThrough)
{
    const std::optional<QByteArray> failed;
    EXPECT_EQ(
        as<DropContent::Image>(decide({{u"audio/ogg"_s, failed}, {u"image/jpeg"_s, QByteArray("jpeg")}})).fileExtension,
        u"jpg"_s);
    EXPECT_EQ(as<DropContent::Link>(decide({{u"image/png"_s, QByteArray()},
                                            {u"text/x-moz-url"_s, utf16LE(u"https://例子.测试/路径\n标题"_s)}}))
                  .url,
              u"https://xn--fsqu00a.xn--0zwm56d/%E8%B7%AF%E5%BE%84"_s);
    // A file on another machine is neither staged nor turned into a link.
    EXPECT_EQ(as<DropContent::Text>(decide({{u"text/uri-list"_s, QByteArray("file://nas/share/a.txt")},
                                            {u"text/plain"_s, QByteArray("a.txt")}}))
                  .text,
              u"a.txt"_s);
    EXPECT_EQ(as<DropContent::Link>(decide({{u"text/uri-list"_s, failed},
                                            {u"text/x-moz-url"_s, QByteArray("https://example.com/\nExample")}}))
                  .url,
              u"https://example.com/"_s);
}

TEST(DropDecisionTest, NothingUsableGivesNothing)
{
    EXPECT_EQ(decide({}), std::nullopt);
    EXPECT_EQ(decide({{u"text/plain"_s, QString::fromUtf16(u" \t\r\n\u3000").toUtf8()}}), std::nullopt);
    EXPECT_EQ(decide({{u"application/x-qt-image"_s, pngBytes}, {u"x-special/gnome-icon-list"_s, QByteArray("icons")}}),
              std::nullopt);
    EXPECT_EQ(DropDecision::decide(DropProvider({u"text/plain"_s}, nullptr)), std::nullopt);
}

TEST(DropDecisionTest, ChoosesTheFirstTypeOfTheFamilyThatHasAnExtension)
{
    const QByteArray adpcm("adpcm");
    // audio/x-adpcm is known but has no file-name extension; audio/mpeg has one.
    EXPECT_EQ(as<DropContent::Audio>(decide({{u"audio/x-adpcm"_s, adpcm},
                                             {u"audio/x-nonsense"_s, QByteArray("?")},
                                             {u"audio/mpeg"_s, QByteArray("mp3")}})),
              (DropContent::Audio{QByteArray("mp3"), u"拖入录音.mp3"_s, u"mp3"_s}));
    // A recording offered only as data, with no name and no extension for its type.
    EXPECT_EQ(as<DropContent::Audio>(decide({{u"audio/x-adpcm"_s, adpcm}})),
              (DropContent::Audio{adpcm, u"拖入录音.m4a"_s, u"m4a"_s}));
    EXPECT_EQ(as<DropContent::Audio>(decide({{u"audio/x-m4a"_s, adpcm}}, u"  Voice Memo "_s)).suggestedName,
              u"Voice Memo.m4a"_s);
    EXPECT_EQ(as<DropContent::Image>(decide({{u"image/x-dcraw"_s, QByteArray("raw")}})).fileExtension, u"png"_s);
}

TEST(DropDecisionTest, TextKeepsItsSpacingAndHonoursTheCharset)
{
    const auto text = [](const QString &type, const QByteArray &bytes) {
        return as<DropContent::Text>(decide({{type, bytes}})).text;
    };
    EXPECT_EQ(text(u"text/plain;charset=ISO-8859-1"_s, "  \xe9t\xe9\n"), u"  été\n"_s);
    EXPECT_EQ(text(u"text/plain"_s, QByteArray("笔记") + '\0'), u"笔记"_s);
    EXPECT_EQ(text(u"text/plain; charset=x-made-up"_s, "笔记"), u"笔记"_s);
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
