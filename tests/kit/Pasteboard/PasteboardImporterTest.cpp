#include "FakePasteboardReader.h"
#include "Pasteboard/PasteboardImporter.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

using namespace holdra;
using test::FakePasteboardReader;

namespace {

const QUrl report = QUrl::fromLocalFile(QStringLiteral("/home/u/报告.pdf"));
const QUrl notes = QUrl::fromLocalFile(QStringLiteral("/home/u/notes.txt"));
const PasteboardContent::Image png{QByteArray("\x89PNG"), QStringLiteral("png")};

} // namespace

TEST(PasteboardImporterTest, FilesWinAndNothingElseIsRead)
{
    FakePasteboardReader pasteboard;
    pasteboard.files = {report, notes};
    pasteboard.image = png;
    pasteboard.web = QStringLiteral("https://example.com/");
    pasteboard.text = QStringLiteral("报告.pdf");

    EXPECT_EQ(PasteboardImporter::classify(pasteboard), (PasteboardContent{PasteboardContent::Files{{report, notes}}}));
    EXPECT_EQ(pasteboard.calls, QStringList{QStringLiteral("fileURLs")});
}

TEST(PasteboardImporterTest, ImageThenLinkThenText)
{
    FakePasteboardReader pasteboard;
    pasteboard.image = png;
    pasteboard.web = QStringLiteral("https://example.com/a.png");
    pasteboard.text = QStringLiteral("https://example.com/a.png");
    EXPECT_EQ(PasteboardImporter::classify(pasteboard), PasteboardContent{png});
    EXPECT_EQ(pasteboard.calls, (QStringList{QStringLiteral("fileURLs"), QStringLiteral("imageData")}));

    pasteboard.image.reset();
    pasteboard.calls.clear();
    EXPECT_EQ(PasteboardImporter::classify(pasteboard),
              (PasteboardContent{PasteboardContent::Link{QStringLiteral("https://example.com/a.png"), std::nullopt}}));
    EXPECT_EQ(pasteboard.calls, (QStringList{QStringLiteral("fileURLs"), QStringLiteral("imageData"), QStringLiteral("webURL")}));

    // An empty web URL counts as none.
    pasteboard.web = QString();
    pasteboard.text = QStringLiteral("  two words\n");
    pasteboard.calls.clear();
    EXPECT_EQ(PasteboardImporter::classify(pasteboard), (PasteboardContent{PasteboardContent::Text{QStringLiteral("  two words\n")}}));
    EXPECT_EQ(pasteboard.calls, (QStringList{QStringLiteral("fileURLs"), QStringLiteral("imageData"),
                                             QStringLiteral("webURL"), QStringLiteral("plainText")}));
}

TEST(PasteboardImporterTest, BlankOrMissingTextIsEmpty)
{
    FakePasteboardReader pasteboard;
    EXPECT_EQ(PasteboardImporter::classify(pasteboard), PasteboardContent{});

    pasteboard.text = QString::fromUtf16(u" \t\n\r\u00A0\u3000\u2028 ");
    EXPECT_EQ(PasteboardImporter::classify(pasteboard), (PasteboardContent{PasteboardContent::Empty{}}));

    pasteboard.text = QString();
    EXPECT_EQ(PasteboardImporter::classify(pasteboard), PasteboardContent{});
}
