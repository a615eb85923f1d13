#include "Storage/MetadataSnapshot.h"

#include "Storage/AtomicFile.h"
#include "Storage/RegularFile.h"
#include "Support/PrivateDirectory.h"

#include <openssl/evp.h>

#include <array>
#include <cmath>
#include <cstring>
#include <utility>

namespace holdra {

namespace {

using Span = MetadataCodec::Span;
using Digest = std::array<unsigned char, 32>;

// The last byte is the format's version; the byte-order mark refuses a copy
// from a machine of the other endianness (the runtime directory is local anyway).
constexpr char magic[8] = {'H', 'o', 'l', 'd', 'r', 'a', 'S', 2};
constexpr quint32 byteOrderMark = 0x01020304;
constexpr quint32 hasSpans = 1;
// How the file is recognised: its identity, or the digest of its bytes.
constexpr quint32 byIdentity = 2;
constexpr quint32 byDigest = 4;
constexpr qint64 largestSnapshot = qint64(1) << 31;
// An id, the kind, the field bits, the date and an empty name.
constexpr quint64 smallestRecord = 16 + 1 + 2 + 8 + 4;

struct Header
{
    char magic[8];
    quint32 byteOrder;
    quint32 flags;
    quint64 count;
    quint64 jsonSize;
    quint64 device;
    quint64 inode;
    qint64 modifiedNs;
    qint64 changedNs;
    Digest jsonDigest;
    quint64 bodySize;
    Digest bodyDigest;
};
static_assert(sizeof(Header) == 136, "the header is laid out without padding");

// Which optional fields an item record holds.
enum FieldBit : quint16 {
    lockedBit = 1 << 0,
    byteSizeBit = 1 << 1,
    pixelWidthBit = 1 << 2,
    pixelHeightBit = 1 << 3,
    durationBit = 1 << 4,
    firstStringBit = 1 << 5,
};

using OptionalText = std::optional<QString>;
constexpr int optionalTextCount = 7;

Digest sha256(const char *data, qsizetype size)
{
    Digest digest{};
    unsigned int length = 0;
    if (EVP_Digest(data, size_t(size), digest.data(), &length, EVP_sha256(), nullptr) != 1)
        digest.fill(0xff); // matches nothing that a real digest would
    return digest;
}

class Output
{
public:
    explicit Output(QByteArray &bytes)
        : m_bytes(bytes)
    {
    }
    template<typename T>
    void put(T value)
    {
        m_bytes.append(reinterpret_cast<const char *>(&value), sizeof value);
    }
    // UTF-8, converted as the JSON writer converts it, so that the text reads
    // back as parsing the file would give it.
    void text(const QString &text)
    {
        const QByteArray utf8 = text.toUtf8();
        put(quint32(utf8.size()));
        m_bytes.append(utf8);
    }

private:
    QByteArray &m_bytes;
};

// Reads fields off a byte range; any read past its end makes it fail for good.
class Input
{
public:
    Input(const char *begin, const char *end)
        : m_at(begin)
        , m_end(end)
    {
    }
    bool ok() const { return m_ok; }
    bool atEnd() const { return m_at == m_end; }
    const char *at() const { return m_at; }

    template<typename T>
    T get()
    {
        T value{};
        if (take(sizeof value))
            std::memcpy(&value, m_at - sizeof value, sizeof value);
        return value;
    }
    QString text()
    {
        const auto length = get<quint32>();
        if (!take(length))
            return {};
        return QString::fromUtf8(m_at - length, qsizetype(length));
    }

private:
    bool take(size_t bytes)
    {
        if (!m_ok || size_t(m_end - m_at) < bytes)
            return m_ok = false;
        m_at += bytes;
        return true;
    }

    const char *m_at;
    const char *m_end;
    bool m_ok = true;
};

std::array<const OptionalText *, optionalTextCount> optionalTexts(const StashItem &item)
{
    return {&item.note(), &item.relativePath(), &item.originalFileName(), &item.contentHash(),
            &item.text(), &item.urlString(),    &item.linkTitle()};
}

void writeItem(Output &out, const StashItem &item)
{
    const QUuid &id = item.id();
    out.put(id.data1);
    out.put(id.data2);
    out.put(id.data3);
    for (uchar byte : id.data4)
        out.put(byte);
    out.put(quint8(item.kind()));
    const auto texts = optionalTexts(item);
    const std::optional<double> duration =
        item.durationSeconds() && std::isfinite(*item.durationSeconds()) ? item.durationSeconds() : std::nullopt;
    quint16 bits = (item.locked() ? lockedBit : 0) | (item.byteSize() ? byteSizeBit : 0)
        | (item.pixelWidth() ? pixelWidthBit : 0) | (item.pixelHeight() ? pixelHeightBit : 0)
        | (duration ? durationBit : 0);
    for (int i = 0; i < optionalTextCount; ++i)
        bits |= *texts[size_t(i)] ? quint16(firstStringBit << i) : 0;
    out.put(bits);
    // The file keeps whole seconds, and no duration that is not a number.
    const qint64 msecs = item.createdAt().toMSecsSinceEpoch();
    out.put(qint64(msecs / 1000 - (msecs % 1000 < 0 ? 1 : 0)));
    if (item.byteSize())
        out.put(qint64(*item.byteSize()));
    if (item.pixelWidth())
        out.put(qint32(*item.pixelWidth()));
    if (item.pixelHeight())
        out.put(qint32(*item.pixelHeight()));
    if (duration)
        out.put(*duration);
    out.text(item.displayName());
    for (const OptionalText *text : texts) {
        if (*text)
            out.text(**text);
    }
}

std::optional<StashItem> readItem(Input &in)
{
    const auto data1 = in.get<uint>();
    const auto data2 = in.get<ushort>();
    const auto data3 = in.get<ushort>();
    uchar data4[8];
    for (uchar &byte : data4)
        byte = in.get<uchar>();
    const QUuid id(data1, data2, data3, data4[0], data4[1], data4[2], data4[3], data4[4], data4[5], data4[6], data4[7]);
    const auto kind = in.get<quint8>();
    const auto bits = in.get<quint16>();
    const QDateTime createdAt = QDateTime::fromSecsSinceEpoch(in.get<qint64>(), Qt::UTC);
    const auto present = [bits](quint16 bit) { return (bits & bit) != 0; };
    std::optional<qint64> byteSize;
    std::optional<int> pixelWidth;
    std::optional<int> pixelHeight;
    std::optional<double> duration;
    if (present(byteSizeBit))
        byteSize = in.get<qint64>();
    if (present(pixelWidthBit))
        pixelWidth = in.get<qint32>();
    if (present(pixelHeightBit))
        pixelHeight = in.get<qint32>();
    if (present(durationBit))
        duration = in.get<double>();
    const QString displayName = in.text();
    OptionalText texts[optionalTextCount];
    for (int i = 0; i < optionalTextCount; ++i) {
        if (present(quint16(firstStringBit << i)))
            texts[i] = in.text();
    }
    if (!in.ok() || kind > quint8(StashItemKind::audio) || bits >= quint16(firstStringBit << optionalTextCount))
        return std::nullopt;
    return StashItem(id, StashItemKind(kind), displayName, createdAt, present(lockedBit), texts[0], texts[1], byteSize,
                     texts[2], texts[3], pixelWidth, pixelHeight, texts[4], texts[5], texts[6], duration);
}

struct Decoded
{
    QList<StashItem> items;
    QList<Span> spans;
    // Where each item's record starts in the snapshot, and where the last ends.
    QList<qsizetype> records;
};

// The records of an earlier snapshot that a new one can copy: `sources` gives,
// for each item of the new list, the index of its unchanged record, or -1.
struct Reuse
{
    QByteArrayView snapshot;
    const QList<qsizetype> &records;
    const QList<qsizetype> &sources;
};

// The file is recognised by nothing yet (see stamp()). The records' offsets go to `records`.
QByteArray encode(const QByteArray &json, const QList<StashItem> &items, const QList<Span> &spans, const Reuse *reuse,
                  QList<qsizetype> &records)
{
    QByteArray bytes(qsizetype(sizeof(Header)), Qt::Uninitialized);
    bytes.reserve(reuse ? reuse->snapshot.size() + 4096 : qsizetype(sizeof(Header)) + items.size() * 320);
    Output out(bytes);
    records.resize(items.size() + 1);
    for (qsizetype i = 0; i < items.size(); ++i) {
        records[i] = bytes.size();
        const qsizetype source = reuse ? reuse->sources[i] : -1;
        if (source < 0)
            writeItem(out, items[i]);
        else
            bytes.append(
                reuse->snapshot.sliced(reuse->records[source], reuse->records[source + 1] - reuse->records[source]));
    }
    records[items.size()] = bytes.size();
    for (const Span &span : spans) {
        out.put(qint64(span.offset));
        out.put(qint64(span.length));
    }
    Header header{};
    std::memcpy(header.magic, magic, sizeof magic);
    header.byteOrder = byteOrderMark;
    header.flags = spans.isEmpty() ? 0 : hasSpans;
    header.count = quint64(items.size());
    header.jsonSize = quint64(json.size());
    header.bodySize = quint64(bytes.size()) - sizeof(Header);
    header.bodyDigest = sha256(bytes.constData() + sizeof(Header), qsizetype(header.bodySize));
    std::memcpy(bytes.data(), &header, sizeof header);
    return bytes;
}

// Lets the snapshot recognise its file by `file`, by `jsonDigest`, or both.
void stamp(QByteArray &snapshot, const std::optional<FileIdentity> &file, const std::optional<Digest> &jsonDigest)
{
    Header header{};
    std::memcpy(&header, snapshot.constData(), sizeof header);
    if (file) {
        header.flags |= byIdentity;
        header.device = file->device;
        header.inode = file->inode;
        header.modifiedNs = file->modifiedNs;
        header.changedNs = file->changedNs;
    }
    if (jsonDigest) {
        header.flags |= byDigest;
        header.jsonDigest = *jsonDigest;
    }
    std::memcpy(snapshot.data(), &header, sizeof header);
}

bool recognises(const Header &header, const FileIdentity *file, const QByteArray &json)
{
    if (file) {
        return (header.flags & byIdentity) && header.jsonSize == quint64(file->size) && header.device == file->device
            && header.inode == file->inode && header.modifiedNs == file->modifiedNs
            && header.changedNs == file->changedNs;
    }
    return (header.flags & byDigest) && header.jsonSize == quint64(json.size())
        && sha256(json.constData(), json.size()) == header.jsonDigest;
}

// The items of a snapshot made from the file `file` names, or from `json` when there is no `file`.
std::optional<Decoded> decode(const QByteArray &snapshot, const FileIdentity *file, const QByteArray &json)
{
    Header header{};
    if (snapshot.size() < qsizetype(sizeof header))
        return std::nullopt;
    std::memcpy(&header, snapshot.constData(), sizeof header);
    const char *body = snapshot.constData() + sizeof header;
    if (std::memcmp(header.magic, magic, sizeof magic) != 0 || header.byteOrder != byteOrderMark
        || header.flags > (hasSpans | byIdentity | byDigest)
        || header.bodySize != quint64(snapshot.size()) - sizeof header
        || header.count > header.bodySize / smallestRecord || !recognises(header, file, json)
        || sha256(body, qsizetype(header.bodySize)) != header.bodyDigest)
        return std::nullopt;

    Input in(body, body + header.bodySize);
    Decoded decoded;
    decoded.items.reserve(qsizetype(header.count));
    decoded.records.reserve(qsizetype(header.count) + 1);
    for (quint64 i = 0; i < header.count; ++i) {
        decoded.records.append(in.at() - snapshot.constData());
        std::optional<StashItem> item = readItem(in);
        if (!item)
            return std::nullopt;
        decoded.items.append(std::move(*item));
    }
    decoded.records.append(in.at() - snapshot.constData());
    if (header.flags & hasSpans) {
        const auto jsonSize = qsizetype(header.jsonSize);
        decoded.spans.reserve(qsizetype(header.count));
        for (quint64 i = 0; i < header.count; ++i) {
            const Span span{qsizetype(in.get<qint64>()), qsizetype(in.get<qint64>())};
            if (span.offset < 0 || span.length <= 0 || span.offset > jsonSize - span.length)
                return std::nullopt;
            decoded.spans.append(span);
        }
    }
    if (!in.ok() || !in.atEnd())
        return std::nullopt;
    return decoded;
}

} // namespace

MetadataSnapshot::MetadataSnapshot(QString path, QString jsonPath)
    : m_path(std::move(path))
    , m_jsonPath(std::move(jsonPath))
{
}

QString MetadataSnapshot::defaultPath(const QString &supportDirectory)
{
    return PrivateDirectory::cacheFile(QStringLiteral("metadata-"), supportDirectory);
}

std::optional<QList<StashItem>> MetadataSnapshot::recall(const FileIdentity &file)
{
    std::optional<QList<StashItem>> items = take({}, &file);
    if (items) {
        m_identity = file;
        m_wantsBytes = true;
    }
    return items;
}

std::optional<QList<StashItem>> MetadataSnapshot::recall(const QByteArray &json,
                                                         const std::optional<FileIdentity> &file)
{
    std::optional<QList<StashItem>> items = take(json, nullptr);
    if (!items)
        return items;
    m_json = json;
    // Known by its bytes only, as the file was too fresh then: by its identity
    // from now on, so that the next run need not read it.
    if (file && FileIdentity::ofPath(m_jsonPath) == file) {
        m_identity = file;
        stamp(m_kept, file, std::nullopt);
        AtomicFile::replace(m_path, m_kept, AtomicFile::Durability::cached);
    }
    return items;
}

std::optional<QList<StashItem>> MetadataSnapshot::take(const QByteArray &json, const FileIdentity *file)
{
    if (m_path.isEmpty())
        return std::nullopt;
    const std::optional<QByteArray> bytes = RegularFile::readAll(m_path, largestSnapshot);
    std::optional<Decoded> decoded = bytes ? decode(*bytes, file, json) : std::nullopt;
    if (!decoded)
        return std::nullopt;
    m_items = std::move(decoded->items);
    m_spans = std::move(decoded->spans);
    m_kept = *bytes;
    m_records = std::move(decoded->records);
    m_index.clear();
    return m_items;
}

void MetadataSnapshot::supplyBytes(QByteArray json, const std::optional<FileIdentity> &file)
{
    // Another writer replaced the file meanwhile: its bytes hold other texts.
    if (!file || file != m_identity || json.size() != file->size)
        m_spans.clear();
    m_json = std::move(json);
    m_wantsBytes = false;
}

void MetadataSnapshot::remember(QByteArray json, QList<StashItem> items, QList<Span> spans,
                                const std::optional<FileIdentity> &file)
{
    m_json = std::move(json);
    m_items = std::move(items);
    m_spans = spans.size() == m_items.size() ? std::move(spans) : QList<Span>();
    m_index.clear();
    m_wantsBytes = false;
    m_identity.reset();
    const QList<qsizetype> sources = std::exchange(m_sources, {});
    if (m_path.isEmpty())
        return;
    // The records of the items that the save copied are copied as well.
    const Reuse reuse{m_kept, m_records, sources};
    const bool reusable = !m_kept.isEmpty() && sources.size() == m_items.size();
    QList<qsizetype> records;
    QByteArray snapshot = encode(m_json, m_items, m_spans, reusable ? &reuse : nullptr, records);
    m_records = std::move(records);
    // The file's times are still in the current tick mostly when it is small,
    // and its digest cheap; for a large one, the digest gives the tick time to pass.
    std::optional<Digest> digest;
    if (!file || !file->settled())
        digest = sha256(m_json.constData(), m_json.size());
    // Looked at again now, after the rename or the read: a change since shows,
    // and one from now on must move a time that lies in an earlier tick.
    if (file && file->settled() && FileIdentity::ofPath(m_jsonPath) == file)
        m_identity = file;
    stamp(snapshot, m_identity, digest);
    m_kept = std::move(snapshot);
    AtomicFile::replace(m_path, m_kept, AtomicFile::Durability::cached);
}

void MetadataSnapshot::forget()
{
    m_json.clear();
    m_identity.reset();
    m_wantsBytes = false;
    m_kept.clear();
    m_records.clear();
    m_sources.clear();
    m_items.clear();
    m_spans.clear();
    m_index.clear();
}

QByteArrayView MetadataSnapshot::knownText(const StashItem &item, qsizetype index)
{
    if (m_spans.isEmpty() || m_wantsBytes)
        return {};
    if (index == 0) {
        m_shift = 0;
        m_missed = false;
        m_sources.clear();
    }
    const std::optional<qsizetype> at = unchangedIndex(item, index);
    m_sources.append(at.value_or(-1));
    if (!at)
        return {};
    const Span &span = m_spans.at(*at);
    return QByteArrayView(m_json).sliced(span.offset, span.length);
}

std::optional<qsizetype> MetadataSnapshot::unchangedIndex(const StashItem &item, qsizetype index)
{
    // A save mostly inserts or removes an item or two: the old place is next to
    // where the previous item's was. Only a second miss in a row asks the index.
    const QList<StashItem> &items = m_items;
    std::optional<qsizetype> at;
    for (const qsizetype guess : {index - m_shift, index - m_shift - 1, index - m_shift + 1}) {
        if (guess >= 0 && guess < items.size() && items[guess].id() == item.id()) {
            at = guess;
            break;
        }
    }
    if (!at && std::exchange(m_missed, true)) {
        if (m_index.isEmpty()) {
            m_index.reserve(items.size());
            for (qsizetype i = 0; i < items.size(); ++i)
                m_index.insert(items[i].id(), i);
        }
        if (const auto found = m_index.constFind(item.id()); found != m_index.cend())
            at = *found;
    }
    if (!at)
        return std::nullopt;
    m_missed = false;
    m_shift = index - *at;
    if (!(items[*at] == item))
        return std::nullopt;
    return at;
}

bool MetadataSnapshot::describes(const QString &path, const QString &jsonPath)
{
    MetadataSnapshot snapshot(path, jsonPath);
    if (const std::optional<FileIdentity> file = FileIdentity::ofPath(jsonPath); file && snapshot.recall(*file))
        return true;
    const std::optional<QByteArray> json = RegularFile::readAll(jsonPath, largestSnapshot);
    return json && snapshot.recall(*json, std::nullopt);
}

} // namespace holdra
