#include "Storage/ContentHasher.h"

#include <QFile>

#include <openssl/evp.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <vector>

namespace holdra::ContentHasher {

namespace {

// Small enough that the bytes are still in the CPU's cache when they are hashed:
// reads of 128 KiB and more spill it, and with 1 MiB reads hashing a 1 GiB
// duplicate took twice the kernel time that `openssl dgst` takes.
constexpr size_t chunkSize = 64 << 10;

struct FdCloser
{
    int fd;
    ~FdCloser() { ::close(fd); }
};

struct DigestContextDeleter
{
    void operator()(EVP_MD_CTX *context) const { EVP_MD_CTX_free(context); }
};

} // namespace

std::optional<QString> sha256Hex(const QString &filePath)
{
    // O_NONBLOCK so that a FIFO never blocks the caller waiting for a writer.
    const int fd = ::open(QFile::encodeName(filePath).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    const FdCloser closer{fd};
    return sha256Hex(fd);
}

std::optional<QString> sha256Hex(int fd)
{
    struct stat status
    {
    };
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);

    std::unique_ptr<EVP_MD_CTX, DigestContextDeleter> context(EVP_MD_CTX_new());
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1)
        return std::nullopt;

    std::vector<unsigned char> buffer(chunkSize);
    off_t offset = 0;
    for (;;) {
        const ssize_t count = ::pread(fd, buffer.data(), buffer.size(), offset);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        if (count == 0)
            break;
        offset += count;
        if (EVP_DigestUpdate(context.get(), buffer.data(), static_cast<size_t>(count)) != 1)
            return std::nullopt;
    }

    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context.get(), digest, &length) != 1)
        return std::nullopt;
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char *>(digest), static_cast<qsizetype>(length)).toHex());
}

} // namespace holdra::ContentHasher
