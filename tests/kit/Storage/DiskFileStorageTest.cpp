#include "Storage/ContentHasher.h"
#include "Storage/DiskFileStorage.h"
#include "Storage/FileStorageError.h"
#include "TempDir.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <atomic>
#include <cstdio>
#include <functional>
#include <thread>

using namespace holdra;

namespace {

class DiskFileStorageTest : public ::testing::Test
{
protected:
    QString root() const { return m_dir.filePath(QStringLiteral("support/Files")); }
    QStringList itemDirectories() const
    {
        return QDir(root()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    QByteArray readStored(const StoredFile &stored) const
    {
        QFile file(root() + u'/' + stored.relativePath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    FileStorageError::Kind importFailure(const QString &path)
    {
        try {
            m_storage.importFile(path);
        } catch (const FileStorageError &error) {
            return error.kind();
        }
        ADD_FAILURE() << "import of " << path.toStdString() << " succeeded";
        return FileStorageError::Kind::systemError;
    }

    test::TempDir m_dir;
    DiskFileStorage m_storage{root()};
};

void symlinkOrFail(const QString &target, const QString &link)
{
    ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()), 0);
}

} // namespace

TEST_F(DiskFileStorageTest, EveryCopyGetsADirectoryOfItsOwn)
{
    const QString a = m_dir.write(QStringLiteral("a/report.pdf"), "first");
    const QString b = m_dir.write(QStringLiteral("b/report.pdf"), "second!");
    const StoredFile first = m_storage.importFile(a);
    const StoredFile second = m_storage.importFile(b);

    static const QRegularExpression shape(
        QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}/report\\.pdf$"));
    EXPECT_TRUE(shape.match(first.relativePath).hasMatch()) << first.relativePath.toStdString();
    EXPECT_NE(first.relativePath, second.relativePath);
    EXPECT_EQ(first.byteSize, 5);
    EXPECT_EQ(second.byteSize, 7);
    EXPECT_EQ(first.originalName, QStringLiteral("report.pdf"));
    EXPECT_EQ(readStored(second), "second!");
}

TEST_F(DiskFileStorageTest, FoldersAreCopiedWholeWithLinksKeptAsLinks)
{
    m_dir.write(QStringLiteral("folder/one.txt"), "12345");
    m_dir.write(QStringLiteral("folder/sub/.hidden"), "678");
    const QString outside = m_dir.write(QStringLiteral("outside.txt"), "not to be copied");
    symlinkOrFail(outside, m_dir.filePath(QStringLiteral("folder/link")));
    // A link back up the tree would loop for ever if it were followed.
    symlinkOrFail(QStringLiteral(".."), m_dir.filePath(QStringLiteral("folder/sub/loop")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(m_dir.filePath(QStringLiteral("folder/pipe"))).constData(), 0600), 0);

    const StoredFile stored = m_storage.importFile(m_dir.filePath(QStringLiteral("folder")) + u'/');
    EXPECT_EQ(stored.originalName, QStringLiteral("folder"));
    EXPECT_EQ(stored.byteSize, 8);
    const QString copy = root() + u'/' + stored.relativePath;
    EXPECT_EQ(DiskFileStorage::byteSize(copy), 8);
    EXPECT_TRUE(QFileInfo(copy + QStringLiteral("/sub/.hidden")).isFile());
    EXPECT_EQ(QFileInfo(copy + QStringLiteral("/link")).symLinkTarget(), outside);
    EXPECT_TRUE(QFileInfo(copy + QStringLiteral("/sub/loop")).isSymLink());
    EXPECT_FALSE(QFileInfo(copy + QStringLiteral("/pipe")).exists());
}

TEST_F(DiskFileStorageTest, ALinkGivenAsSourceStashesWhatItPointsTo)
{
    const QString target = m_dir.write(QStringLiteral("real/original.txt"), "content");
    const QString link = m_dir.filePath(QStringLiteral("latest.txt"));
    symlinkOrFail(target, link);

    const StoredFile stored = m_storage.importFile(link);
    EXPECT_EQ(stored.originalName, QStringLiteral("latest.txt"));
    const QFileInfo copy(root() + u'/' + stored.relativePath);
    EXPECT_FALSE(copy.isSymLink());
    EXPECT_EQ(readStored(stored), "content");
    QFile::remove(target);
    EXPECT_EQ(readStored(stored), "content");

    m_dir.write(QStringLiteral("realdir/x"), "xy");
    symlinkOrFail(m_dir.filePath(QStringLiteral("realdir")), m_dir.filePath(QStringLiteral("dirlink")));
    const StoredFile folder = m_storage.importFile(m_dir.filePath(QStringLiteral("dirlink")));
    EXPECT_FALSE(QFileInfo(root() + u'/' + folder.relativePath).isSymLink());
    EXPECT_EQ(folder.byteSize, 2);
}

TEST_F(DiskFileStorageTest, UnreadableAndSpecialSourcesAreRefusedWithoutLeftovers)
{
    EXPECT_EQ(importFailure(m_dir.filePath(QStringLiteral("missing.txt"))),
              FileStorageError::Kind::sourceUnreadable);
    symlinkOrFail(m_dir.filePath(QStringLiteral("gone")), m_dir.filePath(QStringLiteral("dangling")));
    EXPECT_EQ(importFailure(m_dir.filePath(QStringLiteral("dangling"))),
              FileStorageError::Kind::sourceUnreadable);

    const QString fifo = m_dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(importFailure(fifo), FileStorageError::Kind::sourceUnreadable);
    EXPECT_EQ(importFailure(QStringLiteral("/dev/zero")), FileStorageError::Kind::sourceUnreadable);

    const QString socketPath = m_dir.filePath(QStringLiteral("sock"));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, QFile::encodeName(socketPath).constData(), sizeof(address.sun_path));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
    EXPECT_EQ(importFailure(socketPath), FileStorageError::Kind::sourceUnreadable);
    ::close(fd);

    EXPECT_TRUE(itemDirectories().isEmpty());

    try {
        m_storage.importFile(m_dir.filePath(QStringLiteral("missing.txt")));
    } catch (const FileStorageError &error) {
        EXPECT_EQ(error.errorDescription(), QStringLiteral("无法读取原文件“missing.txt”。"));
    }
}

// The storage is known by device and inode, so no other path to it (a bind
// mount, on top or deep inside a folder) gets it copied into itself.
TEST_F(DiskFileStorageTest, AFolderHoldingTheStorageIsNotCopiedIntoItself)
{
    m_dir.write(QStringLiteral("support/notes.txt"), "n");
    m_storage.importData("x", QStringLiteral("x"), QString());
    EXPECT_EQ(importFailure(m_dir.path()), FileStorageError::Kind::copyFailed);
    EXPECT_EQ(importFailure(root()), FileStorageError::Kind::copyFailed);
    EXPECT_EQ(itemDirectories().size(), 1);

    if (::geteuid() != 0)
        GTEST_SKIP() << "bind mounts need root";
    // The mount point itself, and a folder that holds one deep inside.
    const std::pair<QString, QString> views[] = {
        {m_dir.mkdir(QStringLiteral("elsewhere/view")), m_dir.filePath(QStringLiteral("elsewhere/view"))},
        {m_dir.mkdir(QStringLiteral("project/sub/view")), m_dir.filePath(QStringLiteral("project"))}};
    for (const auto &[mountPoint, imported] : views) {
        const QByteArray native = QFile::encodeName(mountPoint);
        ASSERT_EQ(::mount(QFile::encodeName(m_dir.filePath(QStringLiteral("support"))).constData(), native.constData(),
                          nullptr, MS_BIND, nullptr), 0);
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
    const QByteArray status = readStored(m_storage.importFile(QStringLiteral("/proc/self/status")));
    EXPECT_TRUE(status.startsWith("Name:")) << status.left(40).toStdString();
    const QString sysFile = QStringLiteral("/sys/devices/system/cpu/online");
    if (QFileInfo(sysFile).isReadable()) {
        QFile file(sysFile);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray direct = file.readAll();
        EXPECT_EQ(readStored(m_storage.importFile(sysFile)), direct);
    }

    const QDateTime then(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC);
    const QString folder = m_dir.mkdir(QStringLiteral("times/folder"));
    const QString inner = m_dir.write(QStringLiteral("times/folder/inner.txt"), "inner");
    const QString shared = m_dir.write(QStringLiteral("times/shared.txt"), "shared");
    ::chmod(QFile::encodeName(shared).constData(), 0666);
    ::chmod(QFile::encodeName(folder).constData(), 0777);
    for (const QString &path : {inner, shared, folder}) {
        const struct timespec times[2] = {{then.toSecsSinceEpoch(), 0}, {then.toSecsSinceEpoch(), 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
    }
    const auto stored = [this](const StoredFile &file, const QString &below = QString()) {
        struct stat info {};
        ::stat(QFile::encodeName(root() + u'/' + file.relativePath + below).constData(), &info);
        return info;
    };
    const StoredFile sharedCopy = m_storage.importFile(shared);
    const StoredFile folderCopy = m_storage.importFile(folder);
    EXPECT_EQ(stored(sharedCopy).st_mtim.tv_sec, then.toSecsSinceEpoch());
    EXPECT_EQ(stored(folderCopy).st_mtim.tv_sec, then.toSecsSinceEpoch());
    EXPECT_EQ(stored(folderCopy, QStringLiteral("/inner.txt")).st_mtim.tv_sec, then.toSecsSinceEpoch());
    EXPECT_EQ(stored(sharedCopy).st_mode & 0777, 0644u);
    EXPECT_EQ(stored(folderCopy).st_mode & 0777, 0755u);
}

// A file that keeps shrinking while it is stashed (a log being rotated): every
// copy that is accepted holds what one moment of the file held, never a tail of
// zeros standing in for what was cut off; the others are refused as changed.
TEST_F(DiskFileStorageTest, AFileThatShrinksWhileItIsCopiedIsNeverPadded)
{
    constexpr qint64 start = 16 << 20;
    const QString source = m_dir.write(QStringLiteral("busy.log"), QByteArray(start, 'a'));
    std::atomic<bool> done = false;
    std::thread cutter([&] {
        QFile file(source);
        if (!file.open(QIODevice::ReadWrite))
            return;
        for (qint64 size = start; size > 0 && !done; size -= 4096) {
            file.resize(size);
            std::this_thread::yield();
        }
    });
    int accepted = 0;
    int refused = 0;
    for (int attempt = 0; attempt < 20; ++attempt) {
        try {
            const QByteArray copy = readStored(m_storage.importFile(source));
            ++accepted;
            EXPECT_EQ(copy.count('a'), copy.size()) << "zeros after " << copy.count('a') << " bytes";
        } catch (const FileStorageError &error) {
            ++refused;
            EXPECT_TRUE(error.errorDescription().contains(QStringLiteral("在复制时被改动")))
                << qPrintable(error.errorDescription());
        }
    }
    done = true;
    cutter.join();
    EXPECT_EQ(int(itemDirectories().size()), accepted);
    std::printf("[ figures  ] shrinking source: %d copies accepted, %d refused as changed\n", accepted, refused);
}

// A tree deeper than a path can be long is still deleted, with its folder; so
// is an import that a crash cut short.
TEST_F(DiskFileStorageTest, DeletionReachesAnyDepthAndClearsUnfinishedImports)
{
    // 260 levels of a 31-byte name: over 8000 bytes of path below the item.
    constexpr int levels = 260;
    const char *level = "a-folder-name-of-thirty-one-byt";
    const auto deepen = [&](const QString &directory) {
        int fd = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY);
        for (int depth = 0; fd >= 0 && depth < levels; ++depth) {
            ::mkdirat(fd, level, 0700);
            ::close(::openat(fd, "f", O_WRONLY | O_CREAT, 0600));
            const int next = ::openat(fd, level, O_RDONLY | O_DIRECTORY);
            ::close(fd);
            fd = next;
        }
        if (fd >= 0)
            ::close(fd);
        return fd >= 0 ? levels * int(std::strlen(level) + 1) : 0;
    };
    const StoredFile stored = m_storage.importData("x", QStringLiteral("x"), QString());
    const QString item = root() + u'/' + stored.relativePath.section(u'/', 0, 0);
    ASSERT_GT(deepen(item), PATH_MAX);
    EXPECT_NO_THROW(m_storage.remove(stored.relativePath));
    EXPECT_FALSE(QFileInfo::exists(item));

    const QString leftover = m_dir.mkdir(QStringLiteral("support/Files/.staging-0F8FAD5B-D9CB-469F-A165-70867728950E"));
    ASSERT_GT(deepen(leftover), PATH_MAX);
    const StoredFile kept = m_storage.importData("k", QStringLiteral("k"), QString());
    m_storage.removeUnfinishedImports();
    EXPECT_EQ(itemDirectories(), QStringList{kept.relativePath.section(u'/', 0, 0)});
}

TEST_F(DiskFileStorageTest, ImportDataAppliesTheExtensionRule)
{
    const auto nameOf = [this](const QString &name, const QString &extension) {
        return m_storage.importData("bytes", name, extension).originalName;
    };
    EXPECT_EQ(nameOf(QString(), QStringLiteral("png")), QStringLiteral("未命名.png"));
    EXPECT_EQ(nameOf(QStringLiteral("plain"), QStringLiteral(" . .")), QStringLiteral("plain"));
    EXPECT_EQ(nameOf(QStringLiteral("photo.PNG"), QStringLiteral("png")), QStringLiteral("photo.PNG"));
    EXPECT_EQ(nameOf(QStringLiteral("clip"), QStringLiteral(".m4a")), QStringLiteral("clip.m4a"));
    EXPECT_EQ(nameOf(QStringLiteral("a.jpeg"), QStringLiteral("png")), QStringLiteral("a.jpeg.png"));

    const StoredFile stored = m_storage.importData("12345", QStringLiteral("n"), QStringLiteral("txt"));
    EXPECT_EQ(stored.byteSize, 5);
    EXPECT_EQ(readStored(stored), "12345");
}

TEST_F(DiskFileStorageTest, SuggestedNamesCannotLeaveTheItemDirectory)
{
    const QStringList hostile = {QStringLiteral("../../escape"), QStringLiteral("/etc/passwd"),
                                 QStringLiteral(".."), QStringLiteral("."),
                                 QStringView(u"nul\0byte", 8).toString(), QStringLiteral("line\nbreak")};
    for (const QString &name : hostile) {
        const StoredFile stored = m_storage.importData("x", name, QStringLiteral("../up"));
        const QStringList parts = stored.relativePath.split(u'/');
        ASSERT_EQ(parts.size(), 2) << stored.relativePath.toStdString();
        EXPECT_NE(parts[1], QStringLiteral(".."));
        EXPECT_FALSE(stored.originalName.contains(QChar()));
        EXPECT_TRUE(QFileInfo(root() + u'/' + stored.relativePath).isFile());
    }
    EXPECT_EQ(DiskFileStorage::safeFileName(QStringLiteral("..")), QStringLiteral("未命名"));
    EXPECT_EQ(DiskFileStorage::safeFileName(QStringLiteral("a/b")), QStringLiteral("a_b"));
    EXPECT_EQ(DiskFileStorage::safeFileName(QStringLiteral(".profile")), QStringLiteral(".profile"));
    EXPECT_FALSE(QFileInfo::exists(m_dir.filePath(QStringLiteral("support/escape.up"))));
    EXPECT_EQ(itemDirectories().size(), hostile.size());
}

TEST_F(DiskFileStorageTest, RemoveDeletesTheItemDirectoryOrTheLooseFile)
{
    const StoredFile a = m_storage.importData("a", QStringLiteral("a"), QString());
    const StoredFile b = m_storage.importData("b", QStringLiteral("b"), QString());
    m_dir.write(QStringLiteral("support/Files/loose.txt"), "l");

    m_storage.remove(a.relativePath);
    EXPECT_FALSE(QFileInfo::exists(root() + u'/' + a.relativePath.section(u'/', 0, 0)));
    EXPECT_TRUE(QFileInfo::exists(root() + u'/' + b.relativePath));
    m_storage.remove(QStringLiteral("loose.txt"));
    EXPECT_FALSE(QFileInfo::exists(root() + QStringLiteral("/loose.txt")));
    EXPECT_NO_THROW(m_storage.remove(QStringLiteral("0000/gone.txt")));
    EXPECT_EQ(itemDirectories(), QStringList{b.relativePath.section(u'/', 0, 0)});
}

TEST_F(DiskFileStorageTest, PathsLeadingOutOfTheRootAreRefusedAndDeleteNothing)
{
    const StoredFile kept = m_storage.importData("k", QStringLiteral("k"), QString());
    const QString victim = m_dir.write(QStringLiteral("Documents/x/precious.txt"), "keep me");
    symlinkOrFail(m_dir.filePath(QStringLiteral("Documents")),
                  root() + QStringLiteral("/LINKED"));
    symlinkOrFail(root(), root() + QStringLiteral("/SELF"));

    const QStringList hostile = {QStringLiteral("../../Documents/x/precious.txt"),
                                 QStringLiteral("../Files"),
                                 victim,
                                 QString(),
                                 QStringLiteral("."),
                                 QStringLiteral("a/./b"),
                                 QStringLiteral("a//b"),
                                 QStringLiteral("LINKED/x/precious.txt"),
                                 QStringLiteral("LINKED")};
    for (const QString &path : hostile) {
        EXPECT_THROW(m_storage.remove(path), FileStorageError) << path.toStdString();
        EXPECT_EQ(m_storage.absolutePath(path), std::nullopt) << path.toStdString();
    }
    // Resolves to the root itself, which is never deleted.
    EXPECT_THROW(m_storage.remove(QStringLiteral("SELF/anything")), FileStorageError);
    EXPECT_TRUE(QFileInfo::exists(victim));
    EXPECT_TRUE(QFileInfo(root()).isDir());
    EXPECT_TRUE(QFileInfo::exists(root() + u'/' + kept.relativePath));
    EXPECT_EQ(m_storage.absolutePath(kept.relativePath), root() + u'/' + kept.relativePath);
    EXPECT_EQ(m_storage.absolutePath(QStringLiteral("NEW/not-yet.txt")),
              root() + QStringLiteral("/NEW/not-yet.txt"));
}

TEST_F(DiskFileStorageTest, RemoveAllEmptiesTheRootButKeepsIt)
{
    EXPECT_NO_THROW(m_storage.removeAll());
    EXPECT_FALSE(QFileInfo::exists(root()));

    m_storage.importData("a", QStringLiteral("a"), QString());
    m_dir.write(QStringLiteral("support/Files/.hidden"), "h");
    const QString outside = m_dir.write(QStringLiteral("outside/keep.txt"), "k");
    symlinkOrFail(m_dir.filePath(QStringLiteral("outside")), root() + QStringLiteral("/link"));
    m_storage.removeAll();
    EXPECT_TRUE(itemDirectories().isEmpty());
    EXPECT_TRUE(QFileInfo(root()).isDir());
    EXPECT_TRUE(QFileInfo::exists(outside));
}

TEST_F(DiskFileStorageTest, SizesCountRegularFilesOnly)
{
    EXPECT_EQ(DiskFileStorage::byteSize(m_dir.filePath(QStringLiteral("nothing"))), 0);
    EXPECT_EQ(m_storage.totalByteSize(), 0);
    m_storage.importData(QByteArray(1000, 'x'), QStringLiteral("a"), QString());
    m_storage.importData(QByteArray(24, 'y'), QStringLiteral("b"), QString());
    EXPECT_EQ(m_storage.totalByteSize(), 1024);
}

// Names that trip up shells and naive code are stored byte for byte or refused,
// never turned into another file.
TEST_F(DiskFileStorageTest, HostileNamesAreStoredIntactOrRefused)
{
    const QString longName = QString(85, QChar(0x6587)); // 85 × "文": 255 UTF-8 bytes
    ASSERT_EQ(longName.toUtf8().size(), 255);
    for (const QString &name : {QStringLiteral("line\nbreak.txt"), QStringLiteral("-rf"),
                                QStringLiteral("--help.txt"), QStringLiteral(" spaced .txt"), longName}) {
        const QString source = m_dir.write(QStringLiteral("hostile/") + name, name.toUtf8());
        const StoredFile stored = m_storage.importFile(source);
        EXPECT_EQ(stored.originalName, name);
        EXPECT_EQ(readStored(stored), name.toUtf8()) << name.toStdString();
    }

    // A name just below the limit leaves no room for a temporary suffix; the
    // data is written under a short temporary name instead.
    const QString nearLimit = QString(83, QChar(0x6587)) + QStringLiteral("x"); // 250 bytes
    EXPECT_EQ(readStored(m_storage.importData("near", nearLimit, QString())), "near");

    // 255 bytes plus an extension no longer fit one name; the copy fails cleanly.
    const auto countBefore = itemDirectories().size();
    try {
        const StoredFile stored = m_storage.importData("x", longName, QStringLiteral("txt"));
        EXPECT_LE(stored.relativePath.section(u'/', -1).toUtf8().size(), 255);
        EXPECT_EQ(readStored(stored), "x");
    } catch (const FileStorageError &) {
        EXPECT_EQ(itemDirectories().size(), countBefore);
    }

    // A name whose bytes are not UTF-8 cannot be spelt as a path string: the
    // decoded path names no file, and the import says so.
    const QByteArray rawDir = QFile::encodeName(m_dir.mkdir(QStringLiteral("raw")));
    const QByteArray latin1Name = rawDir + "/caf\xe9.txt";
    const int fd = ::open(latin1Name.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "latin-1", 7), 7);
    ::close(fd);
    try {
        const StoredFile stored = m_storage.importFile(QFile::decodeName(latin1Name));
        EXPECT_EQ(readStored(stored), "latin-1");
    } catch (const FileStorageError &error) {
        EXPECT_EQ(error.kind(), FileStorageError::Kind::sourceUnreadable);
    }

    // Inside a copied folder the names are kept as the bytes they are.
    const StoredFile folder = m_storage.importFile(QFile::decodeName(rawDir));
    const QByteArray copied = QFile::encodeName(root() + u'/' + folder.relativePath) + "/caf\xe9.txt";
    struct stat status {};
    EXPECT_EQ(::stat(copied.constData(), &status), 0);
    EXPECT_EQ(status.st_size, 7);
}

// A 4 GiB sparse file (a disk image) is copied without writing its holes out.
TEST_F(DiskFileStorageTest, ASparseFileKeepsItsSizeAndItsHoles)
{
    constexpr qint64 size = qint64(4) << 30;
    const QString source = m_dir.filePath(QStringLiteral("disk.img"));
    {
        QFile file(source);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("head");
        ASSERT_TRUE(file.seek(size / 2));
        file.write("middle");
        ASSERT_TRUE(file.resize(size));
    }
    const StoredFile stored = m_storage.importFile(source);
    EXPECT_EQ(stored.byteSize, size);
    // The holes count as the zeros they read as.
    EXPECT_EQ(stored.contentHash, ContentHasher::sha256Hex(root() + u'/' + stored.relativePath));
    const QByteArray copy = QFile::encodeName(root() + u'/' + stored.relativePath);
    struct stat status {};
    ASSERT_EQ(::stat(copy.constData(), &status), 0);
    EXPECT_EQ(status.st_size, size);
    EXPECT_LT(qint64(status.st_blocks) * 512, qint64(64) << 20);
    QFile file(QFile::decodeName(copy));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.read(4), "head");
    ASSERT_TRUE(file.seek(size / 2));
    EXPECT_EQ(file.read(6), "middle");
    ASSERT_TRUE(file.seek(size - 1));
    EXPECT_EQ(file.read(1), QByteArray(1, '\0'));
}

// The hash taken while copying is the hash of the stored copy, across buffer
// boundaries and for data; a folder has none.
TEST_F(DiskFileStorageTest, TheHashTakenWhileCopyingIsTheStoredCopysHash)
{
    QByteArray big(9 * 1024 * 1024 + 17, 'a');
    big[4 * 1024 * 1024 + 3] = 'b';
    for (const QByteArray &bytes : {QByteArray(), QByteArray("abc"), big}) {
        const StoredFile stored = m_storage.importFile(m_dir.write(QStringLiteral("source.bin"), bytes));
        EXPECT_EQ(readStored(stored), bytes);
        ASSERT_TRUE(stored.contentHash);
        EXPECT_EQ(stored.contentHash, ContentHasher::sha256Hex(root() + u'/' + stored.relativePath));
        const StoredFile data = m_storage.importData(bytes, QStringLiteral("data.bin"), QString());
        EXPECT_EQ(data.contentHash, stored.contentHash);
    }
    m_dir.write(QStringLiteral("folder/inner.txt"), "inner");
    EXPECT_EQ(m_storage.importFile(m_dir.filePath(QStringLiteral("folder"))).contentHash, std::nullopt);
}

// Stopping an import, of a file or of a folder, leaves no directory behind.
TEST_F(DiskFileStorageTest, ACancelledImportLeavesNothing)
{
    const QString file = m_dir.write(QStringLiteral("big.bin"), QByteArray(9 * 1024 * 1024, 'x'));
    m_dir.write(QStringLiteral("tree/a.txt"), QByteArray(1024, 'a'));
    m_dir.write(QStringLiteral("tree/b.txt"), QByteArray(1024, 'b'));
    for (const QString &source : {file, m_dir.filePath(QStringLiteral("tree"))}) {
        qint64 seen = 0;
        const auto stopAfterFirstChunk = [&seen](qint64 bytes) {
            seen += bytes;
            return false;
        };
        try {
            m_storage.importFile(QFile::encodeName(source), stopAfterFirstChunk);
            ADD_FAILURE() << "not cancelled: " << qPrintable(source);
        } catch (const FileStorageError &error) {
            EXPECT_EQ(error.kind(), FileStorageError::Kind::cancelled);
        }
        EXPECT_GT(seen, 0);
        EXPECT_EQ(itemDirectories(), QStringList());
    }
}
