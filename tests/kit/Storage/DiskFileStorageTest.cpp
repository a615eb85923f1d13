#include "Storage/DiskFileStorage.h"
#include "Storage/ContentHasher.h"
#include "Storage/FileStorageError.h"
#include "TempDir.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstring>
#include <thread>

using namespace holdra;
using namespace Qt::StringLiterals;

namespace {

class DiskFileStorageTest : public ::testing::Test
{
protected:
    QString root() const { return m_dir.filePath(u"support/Files"_s); }
    QString stored(const StoredFile &file) const { return root() + u'/' + file.relativePath; }
    QStringList itemDirectories() const
    {
        return QDir(root()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    QByteArray readStored(const StoredFile &file) const { return test::readFile(stored(file)); }
    std::optional<FileStorageError::Kind> importFailure(const QString &path)
    {
        try {
            m_storage.importFile(path);
        } catch (const FileStorageError &error) {
            return error.kind();
        }
        return std::nullopt;
    }
    bool symlink(const QString &target, const QString &link) const
    {
        return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(m_dir.filePath(link)).constData())
            == 0;
    }
    StoredFile data(const QByteArray &bytes) { return m_storage.importData(bytes, u"d"_s, QString()); }

    test::TempDir m_dir;
    DiskFileStorage m_storage{root()};
};

QString sha256(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

} // namespace

// Links inside a folder stay links; a link given as the source stashes what it points to.
TEST_F(DiskFileStorageTest, FoldersAreCopiedWholeWithLinksKeptAsLinks)
{
    m_dir.write(u"folder/one.txt"_s, "12345");
    m_dir.write(u"folder/sub/.hidden"_s, "678");
    const QString outside = m_dir.write(u"outside.txt"_s, "not to be copied");
    ASSERT_TRUE(symlink(outside, u"folder/link"_s));
    // A link back up the tree would loop for ever if it were followed.
    ASSERT_TRUE(symlink(u".."_s, u"folder/sub/loop"_s));
    ASSERT_EQ(::mkfifo(QFile::encodeName(m_dir.filePath(u"folder/pipe"_s)).constData(), 0600), 0);
    ASSERT_TRUE(symlink(m_dir.filePath(u"folder"_s), u"dirlink"_s));

    for (const QString &source : {m_dir.filePath(u"folder/"_s), m_dir.filePath(u"dirlink"_s)}) {
        const StoredFile folder = m_storage.importFile(source);
        EXPECT_EQ(folder.originalName, QFileInfo(source).fileName().isEmpty() ? u"folder"_s : u"dirlink"_s);
        EXPECT_EQ(folder.byteSize, 8);
        EXPECT_EQ(folder.contentHash, std::nullopt);
        EXPECT_EQ(DiskFileStorage::byteSize(stored(folder)), 8);
        EXPECT_FALSE(QFileInfo(stored(folder)).isSymLink());
        EXPECT_TRUE(QFileInfo(stored(folder) + u"/sub/.hidden"_s).isFile());
        EXPECT_EQ(QFileInfo(stored(folder) + u"/link"_s).symLinkTarget(), outside);
        EXPECT_TRUE(QFileInfo(stored(folder) + u"/sub/loop"_s).isSymLink());
        EXPECT_FALSE(QFileInfo(stored(folder) + u"/pipe"_s).exists());
    }

    ASSERT_TRUE(symlink(outside, u"latest.txt"_s));
    const StoredFile file = m_storage.importFile(m_dir.filePath(u"latest.txt"_s));
    EXPECT_EQ(file.originalName, u"latest.txt"_s);
    QFile::remove(outside);
    EXPECT_FALSE(QFileInfo(stored(file)).isSymLink());
    EXPECT_EQ(readStored(file), "not to be copied");
}

// Sockets, devices and FIFOs are refused like missing files; a FIFO must not block.
TEST_F(DiskFileStorageTest, UnreadableAndSpecialSourcesAreRefusedWithoutLeftovers)
{
    ASSERT_TRUE(symlink(m_dir.filePath(u"gone"_s), u"dangling"_s));
    ASSERT_EQ(::mkfifo(QFile::encodeName(m_dir.filePath(u"fifo"_s)).constData(), 0600), 0);
    for (const QString &source :
         {m_dir.filePath(u"missing.txt"_s), m_dir.filePath(u"dangling"_s), m_dir.filePath(u"fifo"_s), u"/dev/zero"_s})
        EXPECT_EQ(importFailure(source), FileStorageError::Kind::sourceUnreadable) << qPrintable(source);
    EXPECT_TRUE(itemDirectories().isEmpty());
}

// The storage is known by device and inode, so no other path to it (a bind
// mount, on top or deep inside a folder) gets it copied into itself.
TEST_F(DiskFileStorageTest, AFolderHoldingTheStorageIsNotCopiedIntoItself)
{
    m_dir.write(u"support/notes.txt"_s, "n");
    data("x");
    EXPECT_EQ(importFailure(m_dir.path()), FileStorageError::Kind::copyFailed);
    EXPECT_EQ(importFailure(root()), FileStorageError::Kind::copyFailed);
    EXPECT_EQ(itemDirectories().size(), 1);

    if (::geteuid() != 0)
        GTEST_SKIP() << "bind mounts need root";
    const std::pair<QString, QString> views[] = {
        {m_dir.mkdir(u"elsewhere/view"_s), m_dir.filePath(u"elsewhere/view"_s)},
        {m_dir.mkdir(u"project/sub/view"_s), m_dir.filePath(u"project"_s)}};
    for (const auto &[mountPoint, imported] : views) {
        const QByteArray native = QFile::encodeName(mountPoint);
        ASSERT_EQ(::mount(QFile::encodeName(m_dir.filePath(u"support"_s)).constData(), native.constData(), nullptr,
                          MS_BIND, nullptr),
                  0);
        const auto unmount = qScopeGuard([&] { ::umount2(native.constData(), MNT_DETACH); });
        EXPECT_EQ(importFailure(imported), FileStorageError::Kind::copyFailed);
        EXPECT_EQ(itemDirectories().size(), 1);
    }
}

// Pseudo-files claim sizes they do not have: /proc ones none, /sys ones a page.
// They are read to their end, never padded; times are kept and nobody but the
// owner may write to a copy.
TEST_F(DiskFileStorageTest, CopiesHoldWhatWasReadKeepTheirTimesAndAreOnlyTheOwnersToChange)
{
    EXPECT_TRUE(readStored(m_storage.importFile(u"/proc/self/status"_s)).startsWith("Name:"));
    QFile sysFile(u"/sys/devices/system/cpu/online"_s);
    if (sysFile.open(QIODevice::ReadOnly)) {
        EXPECT_EQ(readStored(m_storage.importFile(sysFile.fileName())), sysFile.readAll());
    }

    const qint64 then = QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC).toSecsSinceEpoch();
    const QString folder = m_dir.mkdir(u"times/folder"_s);
    const QString inner = m_dir.write(u"times/folder/inner.txt"_s, "inner");
    const QString shared = m_dir.write(u"times/shared.txt"_s, "shared");
    ::chmod(QFile::encodeName(shared).constData(), 0666);
    ::chmod(QFile::encodeName(folder).constData(), 0777);
    for (const QString &path : {inner, shared, folder}) {
        const struct timespec times[2] = {{then, 0}, {then, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
    }
    const QString sharedCopy = stored(m_storage.importFile(shared));
    const QString folderCopy = stored(m_storage.importFile(folder));
    for (const QString &copy : {sharedCopy, folderCopy, QString(folderCopy + u"/inner.txt"_s)})
        EXPECT_EQ(test::fileStatus(copy).st_mtim.tv_sec, then) << qPrintable(copy);
    EXPECT_EQ(test::fileStatus(sharedCopy).st_mode & 0777, 0644u);
    EXPECT_EQ(test::fileStatus(folderCopy).st_mode & 0777, 0755u);
}

// A file that keeps shrinking while it is stashed (a log being rotated): every
// copy that is accepted holds what one moment of the file held, never a tail of
// zeros standing in for what was cut off; the others are refused as changed.
TEST_F(DiskFileStorageTest, AFileThatShrinksWhileItIsCopiedIsNeverPadded)
{
    constexpr qint64 start = 16 << 20;
    const QString source = m_dir.write(u"busy.log"_s, QByteArray(start, 'a'));
    std::atomic<bool> done = false;
    std::thread cutter([&] {
        QFile file(source);
        for (qint64 size = start; size > 0 && !done && (file.isOpen() || file.open(QIODevice::ReadWrite));
             size -= 4096) {
            file.resize(size);
            std::this_thread::yield();
        }
    });
    int accepted = 0;
    for (int attempt = 0; attempt < 20; ++attempt) {
        try {
            const QByteArray copy = readStored(m_storage.importFile(source));
            ++accepted;
            EXPECT_EQ(copy.count('a'), copy.size()) << "zeros after " << copy.count('a') << " bytes";
        } catch (const FileStorageError &error) {
            EXPECT_TRUE(error.errorDescription().contains(u"在复制时被改动"_s)) << qPrintable(error.errorDescription());
        }
    }
    done = true;
    cutter.join();
    EXPECT_EQ(int(itemDirectories().size()), accepted);
}

// A tree deeper than a path can be long is still deleted, with its folder; so
// is an import that a crash cut short.
TEST_F(DiskFileStorageTest, DeletionReachesAnyDepthAndClearsUnfinishedImports)
{
    // 260 levels of a 31-byte name: over 8000 bytes of path below the item.
    const char *level = "a-folder-name-of-thirty-one-byt";
    const auto deepen = [&](const QString &directory) {
        int fd = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY);
        for (int depth = 0; fd >= 0 && depth < 260; ++depth) {
            ::mkdirat(fd, level, 0700);
            ::close(::openat(fd, "f", O_WRONLY | O_CREAT, 0600));
            const int next = ::openat(fd, level, O_RDONLY | O_DIRECTORY);
            ::close(fd);
            fd = next;
        }
        return fd >= 0 && ::close(fd) == 0 ? 260 * int(std::strlen(level) + 1) : 0;
    };
    const StoredFile file = data("x");
    const QString item = root() + u'/' + file.relativePath.section(u'/', 0, 0);
    ASSERT_GT(deepen(item), PATH_MAX);
    EXPECT_NO_THROW(m_storage.remove(file.relativePath));
    EXPECT_FALSE(QFileInfo::exists(item));

    ASSERT_GT(deepen(m_dir.mkdir(u"support/Files/.staging-0F8FAD5B-D9CB-469F-A165-70867728950E"_s)), PATH_MAX);
    const StoredFile kept = data("k");
    m_storage.removeUnfinishedImports();
    EXPECT_EQ(itemDirectories(), QStringList{kept.relativePath.section(u'/', 0, 0)});
}

// Data is named by its suggested name and extension; no suggestion can lead the
// copy out of its item directory.
TEST_F(DiskFileStorageTest, ImportDataNamesTheCopyInsideItsItemDirectory)
{
    const std::tuple<QString, QString, QString> cases[] = {
        {QString(), u"png"_s, u"未命名.png"_s},     {u"plain"_s, u" . ."_s, u"plain"_s},
        {u"photo.PNG"_s, u"png"_s, u"photo.PNG"_s}, {u"a.jpeg"_s, u"png"_s, u"a.jpeg.png"_s},
        {u".profile"_s, QString(), u".profile"_s},  {u"a/b"_s, QString(), u"a_b"_s},
        {u".."_s, QString(), u"未命名"_s}};
    for (const auto &[name, extension, expected] : cases) {
        const StoredFile file = m_storage.importData("12345", name, extension);
        EXPECT_EQ(file.originalName, expected);
        EXPECT_EQ(file.byteSize, 5);
        EXPECT_EQ(readStored(file), "12345");
    }
    const QStringList hostile = {u"../../escape"_s, u"/etc/passwd"_s, u"."_s, QStringView(u"nul\0byte", 8).toString(),
                                 u"line\nbreak"_s};
    for (const QString &name : hostile) {
        const StoredFile file = m_storage.importData("x", name, u"../up"_s);
        const QStringList parts = file.relativePath.split(u'/');
        ASSERT_EQ(parts.size(), 2) << qPrintable(file.relativePath);
        EXPECT_NE(parts[1], u".."_s);
        EXPECT_FALSE(file.originalName.contains(QChar()));
        EXPECT_TRUE(QFileInfo(stored(file)).isFile());
    }
    EXPECT_FALSE(QFileInfo::exists(m_dir.filePath(u"support/escape.up"_s)));
    EXPECT_EQ(itemDirectories().size(), std::size(cases) + hostile.size());
}

TEST_F(DiskFileStorageTest, PathsLeadingOutOfTheRootAreRefusedAndDeleteNothing)
{
    const StoredFile kept = data("k");
    const QString victim = m_dir.write(u"Documents/x/precious.txt"_s, "keep me");
    ASSERT_TRUE(symlink(m_dir.filePath(u"Documents"_s), u"support/Files/LINKED"_s));
    ASSERT_TRUE(symlink(root(), u"support/Files/SELF"_s));
    for (const QString &path : {u"../../Documents/x/precious.txt"_s, u"../Files"_s, victim, QString(), u"."_s,
                                u"a/./b"_s, u"a//b"_s, u"LINKED/x/precious.txt"_s, u"LINKED"_s}) {
        EXPECT_THROW(m_storage.remove(path), FileStorageError) << qPrintable(path);
        EXPECT_EQ(m_storage.absolutePath(path), std::nullopt) << qPrintable(path);
    }
    // Resolves to the root itself, which is never deleted.
    EXPECT_THROW(m_storage.remove(u"SELF/anything"_s), FileStorageError);
    EXPECT_TRUE(QFileInfo::exists(victim));
    EXPECT_TRUE(QFileInfo::exists(stored(kept)));
    EXPECT_EQ(m_storage.absolutePath(kept.relativePath), stored(kept));
    EXPECT_EQ(m_storage.absolutePath(u"NEW/not-yet.txt"_s), root() + u"/NEW/not-yet.txt"_s);
}

TEST_F(DiskFileStorageTest, RemovingTakesItemsWholeAndRemoveAllKeepsTheRoot)
{
    EXPECT_NO_THROW(m_storage.removeAll());
    EXPECT_FALSE(QFileInfo::exists(root()));
    EXPECT_EQ(m_storage.totalByteSize(), 0);

    data(QByteArray(1000, 'x'));
    m_dir.write(u"support/Files/.hidden"_s, QByteArray(24, 'h'));
    const QString outside = m_dir.write(u"outside/keep.txt"_s, QByteArray(4096, 'k'));
    ASSERT_TRUE(symlink(m_dir.filePath(u"outside"_s), u"support/Files/link"_s));
    EXPECT_EQ(m_storage.totalByteSize(), 1024);
    // One item goes with its directory, a loose file alone; a path already gone is no error.
    const StoredFile a = data("a");
    m_dir.write(u"support/Files/loose.txt"_s, "l");
    m_storage.remove(a.relativePath);
    m_storage.remove(u"loose.txt"_s);
    EXPECT_NO_THROW(m_storage.remove(u"0000/gone.txt"_s));
    EXPECT_EQ(itemDirectories().size(), 3);
    m_storage.removeAll();
    EXPECT_TRUE(itemDirectories().isEmpty());
    EXPECT_TRUE(QFileInfo(root()).isDir());
    EXPECT_TRUE(QFileInfo::exists(outside));
}

// Names that trip up shells and naive code are stored byte for byte or refused,
// never turned into another file.
TEST_F(DiskFileStorageTest, HostileNamesAreStoredIntactOrRefused)
{
    // Every copy has a directory of its own, so two files of one name never collide.
    static const QRegularExpression item(u"^[0-9A-F]{8}-([0-9A-F]{4}-){3}[0-9A-F]{12}/"_s);
    QSet<QString> paths;
    for (const QString &name : {u"report.pdf"_s, u"b/report.pdf"_s, u"line\nbreak.txt"_s, u"-rf"_s, u"--help.txt"_s,
                                u" spaced .txt"_s, QString(85, QChar(0x6587)) /* 255 UTF-8 bytes */}) {
        const StoredFile file = m_storage.importFile(m_dir.write(u"hostile/"_s + name, name.toUtf8()));
        EXPECT_TRUE(item.match(file.relativePath).hasMatch()) << qPrintable(file.relativePath);
        EXPECT_EQ(file.originalName, name.section(u'/', -1));
        EXPECT_EQ(file.byteSize, name.toUtf8().size());
        EXPECT_EQ(readStored(file), name.toUtf8()) << qPrintable(name);
        paths.insert(file.relativePath);
    }
    EXPECT_EQ(paths.size(), 7);
    // A name just below the limit leaves no room for a temporary suffix.
    EXPECT_EQ(readStored(m_storage.importData("near", QString(83, QChar(0x6587)) + u'x', QString())), "near");

    // Inside a copied folder a name that is not UTF-8 keeps its bytes.
    const QByteArray rawDir = QFile::encodeName(m_dir.mkdir(u"raw"_s));
    const int fd = ::open(QByteArray(rawDir + "/caf\xe9.txt").constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    ASSERT_TRUE(fd >= 0 && ::write(fd, "latin-1", 7) == 7 && ::close(fd) == 0);
    const StoredFile folder = m_storage.importFile(rawDir);
    struct stat status = {};
    EXPECT_EQ(::stat(QByteArray(QFile::encodeName(stored(folder)) + "/caf\xe9.txt").constData(), &status), 0);
    EXPECT_EQ(status.st_size, 7);
}

// A 4 GiB sparse file (a disk image) is copied without writing its holes out.
TEST_F(DiskFileStorageTest, ASparseFileKeepsItsSizeAndItsHoles)
{
    constexpr qint64 size = qint64(4) << 30;
    const QString source = m_dir.filePath(u"disk.img"_s);
    {
        QFile file(source);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("head") == 4 && file.seek(size / 2));
        file.write("middle");
        ASSERT_TRUE(file.resize(size));
    }
    const StoredFile copy = m_storage.importFile(source);
    EXPECT_EQ(copy.byteSize, size);
    // The holes count as the zeros they read as.
    EXPECT_EQ(copy.contentHash, ContentHasher::sha256Hex(stored(copy)));
    const struct stat status = test::fileStatus(stored(copy));
    EXPECT_EQ(status.st_size, size);
    EXPECT_LT(qint64(status.st_blocks) * 512, qint64(64) << 20);
    QFile file(stored(copy));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly) && file.read(4) == "head" && file.seek(size / 2));
    EXPECT_EQ(file.read(6), "middle");
}

// Three roads to a hash: a file read on its own, a file copied (hashed as it
// passes, across buffer and chunk boundaries) and data written. Two files that
// part only past the first chunk are never taken for each other.
TEST_F(DiskFileStorageTest, EveryRoadGivesTheSHA256OfTheBytes)
{
    QByteArray big(9 * 1024 * 1024 + 17, 'a');
    big[4 * 1024 * 1024 + 3] = 'b';
    big[64 * 1024 + 1] = 'c';
    for (const QByteArray &bytes : {QByteArray(), QByteArray("abc"), big}) {
        const QString source = m_dir.write(u"source.bin"_s, bytes);
        EXPECT_EQ(ContentHasher::sha256Hex(source), sha256(bytes));
        const StoredFile copy = m_storage.importFile(source);
        EXPECT_EQ(readStored(copy), bytes);
        EXPECT_EQ(copy.contentHash, sha256(bytes));
        EXPECT_EQ(data(bytes).contentHash, sha256(bytes));
    }
}

// Stopping the copy of a folder leaves no directory behind (a file's road is the import job's).
TEST_F(DiskFileStorageTest, ACancelledFolderImportLeavesNothing)
{
    m_dir.write(u"tree/a.txt"_s, QByteArray(1024, 'a'));
    m_dir.write(u"tree/b.txt"_s, QByteArray(1024, 'b'));
    qint64 seen = 0;
    const auto stop = [&seen](qint64 bytes) {
        seen += bytes;
        return false;
    };
    EXPECT_THROW(m_storage.importFile(QFile::encodeName(m_dir.filePath(u"tree"_s)), stop), FileStorageError);
    EXPECT_GT(seen, 0);
    EXPECT_EQ(itemDirectories(), QStringList());
}
