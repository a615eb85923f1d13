#include "Storage/ContentHasher.h"
#include "TempDir.h"

#include <QCryptographicHash>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace holdra;

TEST(ContentHasherTest, HashesBytesAcrossChunkBoundaries)
{
    test::TempDir dir;
    EXPECT_EQ(ContentHasher::sha256Hex(dir.write(QStringLiteral("empty"), {})),
              QStringLiteral("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"));
    EXPECT_EQ(ContentHasher::sha256Hex(dir.write(QStringLiteral("abc"), "abc")),
              QStringLiteral("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));

    // Larger than one chunk: the digest must cover every chunk, not just the last.
    QByteArray big(3 * 1024 * 1024 + 17, 'a');
    big[2 * 1024 * 1024 + 5] = 'b';
    const QString bigPath = dir.write(QStringLiteral("big"), big);
    const std::optional<QString> hash = ContentHasher::sha256Hex(bigPath);
    ASSERT_TRUE(hash);
    EXPECT_EQ(*hash, QString::fromLatin1(
                         QCryptographicHash::hash(big, QCryptographicHash::Sha256).toHex()));
}

TEST(ContentHasherTest, GivesNothingForWhatIsNotAReadableFile)
{
    test::TempDir dir;
    EXPECT_EQ(ContentHasher::sha256Hex(dir.filePath(QStringLiteral("missing"))), std::nullopt);
    EXPECT_EQ(ContentHasher::sha256Hex(dir.mkdir(QStringLiteral("folder"))), std::nullopt);
    // A FIFO without a writer must not block.
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(ContentHasher::sha256Hex(fifo), std::nullopt);
}
