#include "Pasteboard/DropFileURLDecoder.h"
#include "QtPrinters.h"

#include <QSysInfo>
#include <gtest/gtest.h>

using namespace holdra;
using namespace Qt::StringLiterals;

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

TEST(DropFileURLDecoderTest, EverySpellingOfALocalFileDecodesToItsURL)
{
    const std::pair<QByteArray, QUrl> cases[] = {
        {"file:///home/u/My%20Files/%E6%8A%A5%E5%91%8A%201.pdf", local("/home/u/My Files/报告 1.pdf")},
        {"file:///home/u/My Files/报告 1.pdf", local("/home/u/My Files/报告 1.pdf")},
        {"file://localhost/home/u/My%20Files/%E6%8A%A5%E5%91%8A%201.pdf", local("/home/u/My Files/报告 1.pdf")},
        {"file://LOCALHOST/home/u/My Files/报告 1.pdf", local("/home/u/My Files/报告 1.pdf")},
        {"FILE:/home/u/My%20Files/报告%201.pdf", local("/home/u/My Files/报告 1.pdf")},
        {"  file:///home/u/x\r\n", local("/home/u/x")},
        {"file://" + QSysInfo::machineHostName().toUtf8() + "/home/u/x", local("/home/u/x")},
        // Old X clients end their strings with NUL.
        {QByteArray("file:///tmp/日本語.txt") + '\0', local("/tmp/日本語.txt")},
        // Firefox's text/x-moz-url: UTF-16LE, without or with a BOM; URL, newline, title.
        {utf16LE(u"file:///tmp/日本語.txt\n日本語"_s), local("/tmp/日本語.txt")},
        {"\xFF\xFE" + utf16LE(u"file:///tmp/%E6%97%A5.txt"_s), local("/tmp/日.txt")},
        // A uri-list with a comment and CRLF line ends: the first file wins.
        {"# dragged from Files\r\nfile:///tmp/a.txt\r\nfile:///tmp/other\r\n", local("/tmp/a.txt")},
        // What GNOME puts on the clipboard for copied files.
        {"copy\nfile:///tmp/a.txt", local("/tmp/a.txt")},
        {"file:///home/u/Pictures/", local("/home/u/Pictures/")},
        {"file:///tmp/100%25.txt", local("/tmp/100%.txt")},
        // Extra leading slashes name the same file, never a host.
        {"file:////tmp/x", local("/tmp/x")},
        {"file:////", local("/")},
        // Invalid UTF-8 becomes replacement characters rather than a mangled path elsewhere.
        {"file:///tmp/\xff\xfe"
         "a",
         local("/tmp/\uFFFD\uFFFD"
               "a")},
    };
    for (const auto &[bytes, url] : cases) {
        EXPECT_EQ(DropFileURLDecoder::decode(bytes), url) << bytes.constData();
        // Text that is UTF-8 reads the same as a string.
        if (!bytes.contains('\0') && QString::fromUtf8(bytes).toUtf8() == bytes) {
            EXPECT_EQ(DropFileURLDecoder::decode(QString::fromUtf8(bytes)), url) << bytes.constData();
        }
    }
}

TEST(DropFileURLDecoderTest, RefusesWhatIsNotALocalFileOrCouldNameAnotherOne)
{
    for (const char *text : {"", "   \n\t", "# only a comment", "https://example.com/a.png",
                             "/tmp/plain path", // a path is not a URL
                             "file:relative/name.txt", "file://", "file://fileserver/share/a.txt",
                             "file:///tmp/a%00b",   // NUL cannot be part of a name
                             "file:///tmp/a?b.txt", // unencoded "?" turns part of the name into a query
                             "file:///tmp/a#b.txt", "http://[::1",
                             // A name that is not UTF-8: no path string reaches that file.
                             "file:///tmp/caf%E9.txt",
                             // A "%" that starts no escape: guessing would name another file.
                             "file:///tmp/100%zz.txt", "file:///tmp/100%2", "file:///tmp/100%"})
        EXPECT_EQ(DropFileURLDecoder::decode(QString::fromUtf8(text)), std::nullopt) << text;
}

TEST(DropFileURLDecoderTest, DecodeAllKeepsEveryFileOfAListInOrder)
{
    const QByteArray list("file:///a/one.txt\r\nhttps://example.com/\r\n# comment\r\n"
                          "file://localhost/b/two%20words.txt\r\nfile://elsewhere/c.txt\r\nfile:///tmp/%g1\r\n"
                          "file:///c/%E4%B8%89.txt\r\n");
    EXPECT_EQ(DropFileURLDecoder::decodeAll(list),
              (QList<QUrl>{local("/a/one.txt"), local("/b/two words.txt"), local("/c/三.txt")}));
    EXPECT_TRUE(DropFileURLDecoder::decodeAll(QByteArray("\0\0", 2)).isEmpty());
}

TEST(DropFileURLDecoderTest, FirstURLTakesOnlyTheFirstEntryOfAnyScheme)
{
    const std::pair<QByteArray, std::optional<QUrl>> cases[] = {
        {utf16LE(u"https://example.com/a b?q=1\nExample"_s), QUrl(u"https://example.com/a%20b?q=1"_s)},
        {"#c\r\nfile://localhost/tmp/x\r\n", local("/tmp/x")},
        {"file://fileserver/x\nhttps://example.com/", std::nullopt},
        {"just words\nhttps://example.com/", std::nullopt},
        {"https://example.com/%zz", std::nullopt},
        {QByteArray(), std::nullopt},
        // Found by fuzzing: the entry once outlived the decoded text it pointed into.
        {QByteArray("file:///tmp/a.txt\0", 18), local("/tmp/a.txt")},
    };
    for (const auto &[bytes, url] : cases)
        EXPECT_EQ(DropFileURLDecoder::firstURL(bytes), url) << bytes.constData();
}
