// Any bytes given to the metadata decoders either decode or fail with
// FileStorageError; anything else escaping is a crash. What decodes must
// encode to a fixed point: decoding the encoding gives the same lists back.

#include "Storage/FileStorageError.h"
#include "Storage/MetadataCodec.h"

#include <cstdint>
#include <cstdlib>

using namespace holdra;

namespace {

template<typename Decode, typename Encode>
void roundTrip(const QByteArray &bytes, Decode decode, Encode encode)
{
    decltype(decode(bytes)) decoded;
    try {
        decoded = decode(bytes);
    } catch (const FileStorageError &) {
        return;
    }
    const QByteArray encoded = encode(decoded);
    try {
        if (decode(encoded) != decoded)
            std::abort();
    } catch (const FileStorageError &) {
        // Our own output must always be readable again.
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    // encodeItems has a second form that reuses known text; the fuzzer checks the plain one.
    roundTrip(bytes, MetadataCodec::decodeItems,
              [](const QList<StashItem> &items) { return MetadataCodec::encodeItems(items); });
    roundTrip(bytes, MetadataCodec::decodeTrash, MetadataCodec::encodeTrash);
    return 0;
}
