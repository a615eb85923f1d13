#include "Pasteboard/DropFileURLDecoder.h"
#include "QtPrinters.h"

#include <QSysInfo>
#include <gtest/gtest.h>

using namespace holdra;

namespace {

QUrl local(const char *path)
{
    return QUrl::fromLocalFile(QString::fromUtf8(path));
}

QByteArray utf16LE(const QString &text)
{
    return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

} // namespace

TEST(DropFileURLDecoderTest, SpellingsOfOneFileDecodeToTheSameURL)
{
    const QUrl expected = local("/home/u/My Files/报告 1.pdf");
    const char *spellings[] = {
        "file:///home/u/My%20Files/%E6%8A%A5%E5%91%8A%201.pdf",
        "file:///home/u/My Files/报告 1.pdf",
        "file://localhost/home/u/My%20Files/%E6%8A%A5%E5%91%8A%201.pdf",
        "file://LOCALHOST/home/u/My Files/报告 1.pdf",
        "FILE:/home/u/My%20Files/报告%201.pdf",
        "  file:///home/u/My%20Files/%E6%8A%A5%E5%91%8A%201.pdf\r\n",
    };
    for (const char *spelling : spellings) {
        EXPECT_EQ(DropFileURLDecoder::decode(QString::fromUtf8(spelling)), expected) << spelling;
        EXPECT_EQ(DropFileURLDecoder::decode(QByteArray(spelling)), expected) << spelling;
    }

    const QString host = QSysInfo::machineHostName();
    if (!host.isEmpty()) {
        EXPECT_EQ(DropFileURLDecoder::decode(QStringLiteral("file://%1/home/u/x").arg(host)), local("/home/u/x"));
    }
}

TEST(DropFileURLDecoderTest, ByteFormsOfSendersDecode)
{
    const QUrl expected = local("/tmp/clip/日本語.txt");

    // Old X clients terminate their strings with NUL.
    EXPECT_EQ(DropFileURLDecoder::decode(QByteArray("file:///tmp/clip/日本語.txt") + '\0'), expected);

    // Firefox sends text/x-moz-url as UTF-16LE without a BOM: URL, newline, title.
    EXPECT_EQ(DropFileURLDecoder::decode(utf16LE(QStringLiteral("file:///tmp/clip/日本語.txt\n日本語"))), expected);

    QByteArray withBom("\xFF\xFE");
    withBom += utf16LE(QStringLiteral("file:///tmp/clip/%E6%97%A5%E6%9C%AC%E8%AA%9E.txt"));
    EXPECT_EQ(DropFileURLDecoder::decode(withBom), expected);

    // A uri-list: comment, CRLF line ends, several entries; the first file wins.
    EXPECT_EQ(DropFileURLDecoder::decode(QByteArray("# dragged from Files\r\nfile:///tmp/clip/%E6%97%A5%E6%9C%AC%E8%AA%9E.txt\r\nfile:///tmp/other\r\n")),
              expected);

    // What GNOME puts on the clipboard for copied files.
    EXPECT_EQ(DropFileURLDecoder::decode(QByteArray("copy\nfile:///tmp/clip/%E6%97%A5%E6%9C%AC%E8%AA%9E.txt")), expected);
}

TEST(DropFileURLDecoderTest, RefusesWhatIsNotALocalFile)
{
    const char *refused[] = {
        "",
        "   \n\t",
        "# only a comment",
        "https://example.com/a.png",
        "/tmp/plain path",          // a path is not a URL
        "file:relative/name.txt",   // no absolute path
        "file://",
        "file://fileserver/share/a.txt",
        "file:///tmp/a%00b",        // NUL cannot be part of a name
        "file:///tmp/a?b.txt",      // unencoded "?" turns part of the name into a query
        "file:///tmp/a#b.txt",
        "http://[::1",              // not even a URL
    };
    for (const char *text : refused)
        EXPECT_EQ(DropFileURLDecoder::decode(QString::fromUtf8(text)), std::nullopt) << text;

    // Invalid UTF-8 becomes replacement characters rather than a mangled path elsewhere.
    EXPECT_EQ(DropFileURLDecoder::decode(QByteArray("file:///tmp/\xff\xfe" "a")), local("/tmp/\uFFFD\uFFFD" "a"));

    // File managers percent-encode the raw bytes of a name that is not UTF-8. No
    // path string reaches that file, and the decoded one could name another.
    EXPECT_EQ(DropFileURLDecoder::decode(QStringLiteral("file:///tmp/caf%E9.txt")), std::nullopt);
    EXPECT_EQ(DropFileURLDecoder::decode(QStringLiteral("file:///tmp/caf%C3%A9.txt")), local("/tmp/caf\u00E9.txt"));
}

TEST(DropFileURLDecoderTest, KeepsTheDirectorySlashAndRefusesBrokenEscapes)
{
    EXPECT_EQ(DropFileURLDecoder::decode(QStringLiteral("file:///home/u/Pictures/")), local("/home/u/Pictures/"));
    // A "%" that starts no escape makes the entry unusable: guessing would name another file.
    EXPECT_EQ(DropFileURLDecoder::decode(QStringLiteral("file:///tmp/100%zz.txt")), std::nullopt);
    EXPECT_EQ(DropFileURLDecoder::decode(QStringLiteral("file:///tmp/100%2")), std::nullopt);
    EXPECT_EQ(DropFileURLDecoder::decode(QStringLiteral("file:///tmp/100%")), std::nullopt);
    EXPECT_EQ(DropFileURLDecoder::firstURL(QByteArray("https://example.com/%zz")), std::nullopt);
    EXPECT_EQ(DropFileURLDecoder::decodeAll(QByteArray("file:///tmp/%g1\nfile:///tmp/ok%20.txt")),
              QList<QUrl>{local("/tmp/ok .txt")});
    EXPECT_EQ(DropFileURLDecoder::decode(QStringLiteral("file:///tmp/100%25.txt")), local("/tmp/100%.txt"));
    // Extra leading slashes name the same file, never a host.
    EXPECT_EQ(DropFileURLDecoder::decode(QStringLiteral("file:////tmp/x")), local("/tmp/x"));
    EXPECT_EQ(DropFileURLDecoder::decode(QStringLiteral("file:////")), local("/"));
}

TEST(DropFileURLDecoderTest, DecodeAllKeepsEveryFileOfAListInOrder)
{
    const QByteArray list("file:///a/one.txt\r\n"
                          "https://example.com/\r\n"
                          "# comment\r\n"
                          "file://localhost/b/two%20words.txt\r\n"
                          "file://elsewhere/c.txt\r\n"
                          "file:///c/%E4%B8%89.txt\r\n");
    EXPECT_EQ(DropFileURLDecoder::decodeAll(list),
              (QList<QUrl>{local("/a/one.txt"), local("/b/two words.txt"), local("/c/三.txt")}));
    EXPECT_TRUE(DropFileURLDecoder::decodeAll(QByteArray("\0\0", 2)).isEmpty());
}

TEST(DropFileURLDecoderTest, FirstURLTakesOnlyTheFirstEntryOfAnyScheme)
{
    EXPECT_EQ(DropFileURLDecoder::firstURL(utf16LE(QStringLiteral("https://example.com/a b?q=1\nExample"))),
              QUrl(QStringLiteral("https://example.com/a%20b?q=1")));
    EXPECT_EQ(DropFileURLDecoder::firstURL(QByteArray("#c\r\nfile://localhost/tmp/x\r\n")), local("/tmp/x"));
    EXPECT_EQ(DropFileURLDecoder::firstURL(QByteArray("file://fileserver/x\nhttps://example.com/")), std::nullopt);
    EXPECT_EQ(DropFileURLDecoder::firstURL(QByteArray("just words\nhttps://example.com/")), std::nullopt);
    EXPECT_EQ(DropFileURLDecoder::firstURL(QByteArray()), std::nullopt);
    // Found by fuzzing: the entry once outlived the decoded text it pointed into
    // (seen by the sanitizer build).
    EXPECT_EQ(DropFileURLDecoder::firstURL(QByteArray("file:///tmp/a.txt\0", 18)), local("/tmp/a.txt"));
}
