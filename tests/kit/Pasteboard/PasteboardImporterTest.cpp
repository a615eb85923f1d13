#include "Pasteboard/PasteboardImporter.h"
#include "FakePasteboardReader.h"
#include "Pasteboard/WebAddress.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

using namespace holdra;
using namespace Qt::StringLiterals;

// Files win, then an image, a web address, text; an empty web address or blank
// text counts as none.
TEST(PasteboardImporterTest, TheFirstKindPresentWins)
{
    const QList<QUrl> files{QUrl::fromLocalFile(u"/home/u/报告.pdf"_s), QUrl::fromLocalFile(u"/home/u/notes.txt"_s)};
    const PasteboardContent::Image png{QByteArray("\x89PNG"), u"png"_s};
    const QString address = u"https://example.com/a.png"_s;
    test::FakePasteboardReader board;
    board.files = files;
    board.image = png;
    board.web = address;
    board.text = address;
    const auto classified = [&] { return PasteboardImporter::classify(board); };
    EXPECT_EQ(classified(), (PasteboardContent{PasteboardContent::Files{files}}));
    board.files.clear();
    EXPECT_EQ(classified(), PasteboardContent{png});
    board.image.reset();
    EXPECT_EQ(classified(), (PasteboardContent{PasteboardContent::Link{address, std::nullopt}}));
    board.web = QString();
    board.text = u"  two words\n"_s;
    EXPECT_EQ(classified(), (PasteboardContent{PasteboardContent::Text{u"  two words\n"_s}}));
    board.text = QString::fromUtf16(u" \t\n\r\u00A0\u3000\u2028 ");
    EXPECT_EQ(classified(), (PasteboardContent{PasteboardContent::Empty{}}));
    board.text.reset();
    EXPECT_EQ(classified(), PasteboardContent{});
}

TEST(WebAddressTest, OnlyOneWholeHttpOrHttpsAddressWithAHostIsALink)
{
    const std::pair<const char *, const char *> cases[] = {
        {"https://example.com/a?b=1#c", "https://example.com/a?b=1#c"},
        {"  \t\nhttp://example.com/x \n", "http://example.com/x"},
        {"HTTPS://Example.COM/Path", "https://example.com/Path"},
        {"https://例子.中国/路径", "https://例子.中国/路径"},
        {"https://user@example.com:8443/", "https://user@example.com:8443/"},
        // A second line or a sentence is text, however the address begins.
        {"https://example.com/x\nsecond line", nullptr},
        {"https://example.com/a b", nullptr},
        {"https://example.com/a\u3000b", nullptr},
        {"https://example.com/a\u00a0b", nullptr},
        {"see https://example.com", nullptr},
        // Other schemes, even those that begin like "http", and no host.
        {"ftp://example.com/file", nullptr},
        {"httpx://example.com/", nullptr},
        {"file:///tmp/x", nullptr},
        {"mailto:someone@example.com", nullptr},
        {"https://", nullptr},
        {"http:relative/path", nullptr},
        {"example.com", nullptr},
        {" \n ", nullptr},
    };
    for (const auto &[text, address] : cases) {
        const std::optional<QUrl> expected = address ? std::optional(QUrl(QString::fromUtf8(address))) : std::nullopt;
        EXPECT_EQ(WebAddress::fromText(QString::fromUtf8(text)), expected) << text;
    }
}
