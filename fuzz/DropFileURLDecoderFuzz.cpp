// Whatever a drag source hands over, the decoder answers with nothing or with a
// local file URL that decodes to itself; it never crashes.

#include "Pasteboard/DropFileURLDecoder.h"

#include <cstdint>
#include <cstdlib>

using namespace holdra;

namespace {

void checkLocal(const std::optional<QUrl> &url)
{
    if (!url)
        return;
    if (!url->isLocalFile() || !url->toLocalFile().startsWith(u'/'))
        std::abort();
    const std::optional<QUrl> again = DropFileURLDecoder::decode(*url);
    if (!again || *again != *url)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    checkLocal(DropFileURLDecoder::decode(bytes));
    checkLocal(DropFileURLDecoder::decode(QString::fromUtf8(bytes)));
    for (const QUrl &url : DropFileURLDecoder::decodeAll(bytes))
        checkLocal(url);
    // A file URL passes as a link only when it is a local one.
    if (const std::optional<QUrl> first = DropFileURLDecoder::firstURL(bytes)) {
        if (first->scheme() == QLatin1String("file"))
            checkLocal(first);
    }
    return 0;
}
