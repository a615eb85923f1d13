#include "Pasteboard/DropDecision.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <memory>

using namespace holdra;

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

template <typename Case>
Case as(const std::optional<DropContent> &content)
{
    if (!content) {
        ADD_FAILURE() << "no content";
        return {};
    }
    const Case *value = std::get_if<Case>(&content->value);
    if (!value) {
        ADD_FAILURE() << "content of another kind (index " << content->value.index() << ")";
        return {};
    }
    return *value;
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
    const DropProvider provider = fakeProvider({{QStringLiteral("image/png"), pngBytes},
                                                {QStringLiteral("text/uri-list"), QByteArray("file:///home/u/shot%201.png\r\n")},
                                                {QStringLiteral("audio/mpeg"), QByteArray("ID3")},
                                                {QStringLiteral("text/plain"), QByteArray("/home/u/shot 1.png")}},
                                               std::nullopt, &loads);
    EXPECT_EQ(as<DropContent::File>(DropDecision::decide(provider)).url,
              QUrl::fromLocalFile(QStringLiteral("/home/u/shot 1.png")));
    EXPECT_EQ(loads, QStringList{QStringLiteral("text/uri-list")});
}

TEST(DropDecisionTest, AudioThenImageThenLinkThenText)
{
    const Representation webLink{QStringLiteral("text/uri-list"), QByteArray("https://example.com/cat.png")};
    const Representation text{QStringLiteral("text/plain"), QByteArray("a cat")};
    const Representation image{QStringLiteral("image/png"), pngBytes};
    const Representation audio{QStringLiteral("audio/mpeg"), QByteArray("ID3-bytes")};

    // A browser image drag offers the page URL too: the image wins.
    const DropContent::Image picture = as<DropContent::Image>(decide({webLink, text, image}));
    EXPECT_EQ(picture, (DropContent::Image{pngBytes, QStringLiteral("拖入图片"), QStringLiteral("png")}));

    EXPECT_EQ(as<DropContent::Audio>(decide({image, audio})).data, QByteArray("ID3-bytes"));

    // A browser link drag (URL plus text) is a link, not text.
    EXPECT_EQ(as<DropContent::Link>(decide({text, webLink})).url, QStringLiteral("https://example.com/cat.png"));

    EXPECT_EQ(as<DropContent::Text>(decide({text})).text, QStringLiteral("a cat"));
}

TEST(DropDecisionTest, FailedOrEmptyRepresentationsFallThrough)
{
    const std::optional<QByteArray> failed;
    const std::optional<DropContent> audioFails =
        decide({{QStringLiteral("audio/ogg"), failed}, {QStringLiteral("image/jpeg"), QByteArray("jpeg")}});
    EXPECT_EQ(as<DropContent::Image>(audioFails).fileExtension, QStringLiteral("jpg"));

    const std::optional<DropContent> emptyImage =
        decide({{QStringLiteral("image/png"), QByteArray()},
                {QStringLiteral("text/x-moz-url"), utf16LE(QStringLiteral("https://例子.测试/路径\n标题"))}});
    EXPECT_EQ(as<DropContent::Link>(emptyImage).url, QStringLiteral("https://xn--fsqu00a.xn--0zwm56d/%E8%B7%AF%E5%BE%84"));

    // A file on another machine is neither staged nor turned into a link.
    const std::optional<DropContent> remoteFile = decide(
        {{QStringLiteral("text/uri-list"), QByteArray("file://nas/share/a.txt")}, {QStringLiteral("text/plain"), QByteArray("a.txt")}});
    EXPECT_EQ(as<DropContent::Text>(remoteFile).text, QStringLiteral("a.txt"));

    const std::optional<DropContent> unreadableList = decide(
        {{QStringLiteral("text/uri-list"), failed}, {QStringLiteral("text/x-moz-url"), QByteArray("https://example.com/\nExample")}});
    EXPECT_EQ(as<DropContent::Link>(unreadableList).url, QStringLiteral("https://example.com/"));
}

TEST(DropDecisionTest, NothingUsableGivesNothing)
{
    EXPECT_EQ(decide({}), std::nullopt);
    EXPECT_EQ(decide({{QStringLiteral("text/plain"), QString::fromUtf16(u" \t\r\n\u3000").toUtf8()}}), std::nullopt);
    EXPECT_EQ(decide({{QStringLiteral("application/x-qt-image"), pngBytes},
                      {QStringLiteral("x-special/gnome-icon-list"), QByteArray("icons")}}),
              std::nullopt);
    EXPECT_EQ(DropDecision::decide(DropProvider({QStringLiteral("text/plain")}, nullptr)), std::nullopt);
}

TEST(DropDecisionTest, ChoosesTheFirstTypeOfTheFamilyThatHasAnExtension)
{
    // audio/x-adpcm is known but has no file-name extension; audio/mpeg has one.
    const std::optional<DropContent> mixed = decide({{QStringLiteral("audio/x-adpcm"), QByteArray("adpcm")},
                                                     {QStringLiteral("audio/x-nonsense"), QByteArray("?")},
                                                     {QStringLiteral("audio/mpeg"), QByteArray("mp3")}});
    EXPECT_EQ(as<DropContent::Audio>(mixed),
              (DropContent::Audio{QByteArray("mp3"), QStringLiteral("拖入录音.mp3"), QStringLiteral("mp3")}));

    // A recording offered only as data, with no name and no extension for its type.
    const std::optional<DropContent> bare = decide({{QStringLiteral("audio/x-adpcm"), QByteArray("adpcm")}});
    EXPECT_EQ(as<DropContent::Audio>(bare),
              (DropContent::Audio{QByteArray("adpcm"), QStringLiteral("拖入录音.m4a"), QStringLiteral("m4a")}));

    const std::optional<DropContent> named =
        decide({{QStringLiteral("audio/x-m4a"), QByteArray("aac")}}, QStringLiteral("  Voice Memo "));
    EXPECT_EQ(as<DropContent::Audio>(named).suggestedName, QStringLiteral("Voice Memo.m4a"));

    const std::optional<DropContent> rawImage = decide({{QStringLiteral("image/x-dcraw"), QByteArray("raw")}});
    EXPECT_EQ(as<DropContent::Image>(rawImage).fileExtension, QStringLiteral("png"));
}

TEST(DropDecisionTest, TextKeepsItsSpacingAndHonoursTheCharset)
{
    const std::optional<DropContent> latin1 =
        decide({{QStringLiteral("text/plain;charset=ISO-8859-1"), QByteArray("  \xe9t\xe9\n")}});
    EXPECT_EQ(as<DropContent::Text>(latin1).text, QStringLiteral("  été\n"));

    const std::optional<DropContent> terminated = decide({{QStringLiteral("text/plain"), QByteArray("笔记") + '\0'}});
    EXPECT_EQ(as<DropContent::Text>(terminated).text, QStringLiteral("笔记"));

    const std::optional<DropContent> unknownCharset =
        decide({{QStringLiteral("text/plain; charset=x-made-up"), QByteArray("笔记")}});
    EXPECT_EQ(as<DropContent::Text>(unknownCharset).text, QStringLiteral("笔记"));
}

TEST(DropDecisionTest, DropFileNameKeepsOnlyASafeLastComponent)
{
    const QString fallback = QStringLiteral("拖入录音");
    const QString m4a = QStringLiteral("m4a");
    EXPECT_EQ(DropDecision::dropFileName(QStringLiteral("a:b.wav"), fallback, m4a), QStringLiteral("a-b.wav"));
    EXPECT_EQ(DropDecision::dropFileName(QStringLiteral("../../etc/clip"), fallback, m4a), QStringLiteral("clip.m4a"));
    EXPECT_EQ(DropDecision::dropFileName(QStringLiteral("memos/"), fallback, m4a), QStringLiteral("memos.m4a"));
    EXPECT_EQ(DropDecision::dropFileName(QStringLiteral(".."), fallback, m4a), QStringLiteral("拖入录音.m4a"));
    EXPECT_EQ(DropDecision::dropFileName(QStringLiteral("/"), fallback, m4a), QStringLiteral("拖入录音.m4a"));
    EXPECT_EQ(DropDecision::dropFileName(QStringLiteral(" \n "), fallback, m4a), QStringLiteral("拖入录音.m4a"));
    EXPECT_EQ(DropDecision::dropFileName(std::nullopt, fallback, QStringLiteral(" .wav. ")), QStringLiteral("拖入录音.wav"));
    EXPECT_EQ(DropDecision::dropFileName(QStringView(u"a\nb\u0000c", 5).toString(), fallback, m4a), QStringLiteral("a-b-c.m4a"));
    EXPECT_EQ(DropDecision::dropFileName(QStringLiteral("take"), fallback, QStringLiteral(". .")), QStringLiteral("take"));
}
