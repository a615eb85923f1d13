#include "Store/DuplicateProbe.h"

#include "Models/StashItemKind.h"
#include "Storage/ContentHasher.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace holdra {

DuplicateProbe::DuplicateProbe(const QList<StashItem> &items)
{
    // From the bottom up, so that the topmost item of the same bytes wins.
    for (auto item = items.crbegin(); item != items.crend(); ++item) {
        if (StashItemKinds::hasStoredCopy(item->kind()) && item->contentHash() && item->byteSize())
            m_itemsBySize[*item->byteSize()].insert(*item->contentHash(), *item);
    }
}

QByteArray DuplicateProbe::nativePathOf(const QUrl &url)
{
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
}

std::optional<StashItem> DuplicateProbe::repeatedItem(const QUrl &url) const
{
    if (m_itemsBySize.isEmpty() || !url.isLocalFile())
        return std::nullopt;
    // O_NONBLOCK: opening a FIFO must never wait for a writer.
    const int fd = ::open(nativePathOf(url).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    struct stat status
    {
    };
    std::optional<StashItem> repeated;
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        const auto sameSize = m_itemsBySize.constFind(qint64(status.st_size));
        const std::optional<QString> hash =
            sameSize != m_itemsBySize.cend() ? ContentHasher::sha256Hex(fd) : std::nullopt;
        if (hash && sameSize->contains(*hash))
            repeated = sameSize->value(*hash);
    }
    ::close(fd);
    return repeated;
}

} // namespace holdra
