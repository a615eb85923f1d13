#include "Storage/MetadataCodec.h"

#include "Storage/FileStorageError.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

// Both directions are streamed rather than built as a document tree: a stash of
// ten thousand items is rewritten after every change, and the trees cost several
// times the parse and the output themselves.

namespace holdra::MetadataCodec {

namespace {

// ---- writing ---------------------------------------------------------------

// Writes "yyyy-mm-ddThh:mm:ssZ" in UTC into `buffer`; returns its length. Worked out
// from the seconds since the epoch, which is much cheaper than a time-zone conversion.
int formattedDate(const QDateTime &date, char *buffer)
{
    const qint64 msecs = date.toMSecsSinceEpoch();
    const qint64 seconds = msecs / 1000 - (msecs % 1000 < 0 ? 1 : 0);
    qint64 days = seconds / 86400;
    qint64 secondOfDay = seconds % 86400;
    if (secondOfDay < 0) {
        secondOfDay += 86400;
        --days;
    }
    const QDate day = QDate(1970, 1, 1).addDays(days);
    return std::snprintf(buffer, 24, "%04d-%02d-%02dT%02d:%02d:%02dZ", day.year(), day.month(), day.day(),
                         int(secondOfDay / 3600), int(secondOfDay / 60 % 60), int(secondOfDay % 60));
}

class Writer
{
public:
    explicit Writer(qsizetype expectedSize) { m_out.reserve(expectedSize); }

    QByteArray take() { return std::move(m_out); }
    qsizetype size() const { return m_out.size(); }

    void bytes(QByteArrayView text) { m_out.append(text); }

    void raw(const char *text) { m_out.append(text); }
    void indent(int spaces) { m_out.append(spaces, ' '); }

    void string(QStringView text)
    {
        const QByteArray utf8 = text.toUtf8();
        m_out.append('"');
        // Plain runs go in whole; only the characters JSON escapes are looked at.
        const char *run = utf8.constData();
        const char *const end = run + utf8.size();
        for (const char *p = run; p < end; ++p) {
            const auto c = static_cast<unsigned char>(*p);
            if (c >= 0x20 && c != '"' && c != '\\' && c != '/')
                continue;
            m_out.append(run, p - run);
            escaped(static_cast<char>(c));
            run = p + 1;
        }
        m_out.append(run, end - run);
        m_out.append('"');
    }

    // An upper-case canonical UUID, as a JSON string.
    void uuid(const QUuid &id)
    {
        static constexpr char hex[] = "0123456789ABCDEF";
        const QByteArray bytes = id.toRfc4122();
        m_out.append('"');
        for (int i = 0; i < 16; ++i) {
            if (i == 4 || i == 6 || i == 8 || i == 10)
                m_out.append('-');
            const auto byte = static_cast<unsigned char>(bytes[i]);
            m_out.append(hex[byte >> 4]);
            m_out.append(hex[byte & 0xf]);
        }
        m_out.append('"');
    }

    void date(const QDateTime &date)
    {
        char buffer[24];
        m_out.append('"');
        m_out.append(buffer, formattedDate(date, buffer));
        m_out.append('"');
    }

    void integer(qint64 value)
    {
        char buffer[24];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        m_out.append(buffer, result.ptr - buffer);
    }

    // The shortest text that reads back as the same double.
    void number(double value)
    {
        if (!std::isfinite(value)) {
            m_out.append("null");
            return;
        }
        char buffer[32];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        const std::string_view text(buffer, static_cast<size_t>(result.ptr - buffer));
        m_out.append(text.data(), static_cast<qsizetype>(text.size()));
        if (text.find_first_of(".e") == std::string_view::npos)
            m_out.append(".0");
    }

    void boolean(bool value) { m_out.append(value ? "true" : "false"); }

private:
    void escaped(char c)
    {
        static constexpr char hex[] = "0123456789abcdef";
        switch (c) {
        case '"':
            m_out.append("\\\"");
            return;
        case '\\':
            m_out.append("\\\\");
            return;
        case '/':
            m_out.append("\\/");
            return;
        case '\b':
            m_out.append("\\b");
            return;
        case '\f':
            m_out.append("\\f");
            return;
        case '\n':
            m_out.append("\\n");
            return;
        case '\r':
            m_out.append("\\r");
            return;
        case '\t':
            m_out.append("\\t");
            return;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                m_out.append("\\u00");
                m_out.append(hex[(c >> 4) & 0xf]);
                m_out.append(hex[c & 0xf]);
            } else {
                m_out.append(c);
            }
        }
    }

    QByteArray m_out;
};

// Writes `"key": ` on its own line inside an object whose keys sit at `indent`.
class ObjectWriter
{
public:
    ObjectWriter(Writer &writer, int indent)
        : m_writer(writer)
        , m_indent(indent)
    {
        m_writer.raw("{");
    }
    ~ObjectWriter()
    {
        m_writer.raw("\n");
        m_writer.indent(m_indent - 2);
        m_writer.raw("}");
    }

    Writer &key(const char *name)
    {
        m_writer.raw(m_first ? "\n" : ",\n");
        m_first = false;
        m_writer.indent(m_indent);
        m_writer.raw("\"");
        m_writer.raw(name);
        m_writer.raw("\": ");
        return m_writer;
    }

private:
    Writer &m_writer;
    int m_indent;
    bool m_first = true;
};

// The keys in ascending order.
void writeItem(Writer &writer, const StashItem &item, int indent)
{
    ObjectWriter object(writer, indent);
    const auto text = [&object](const char *key, const std::optional<QString> &value) {
        if (value)
            object.key(key).string(*value);
    };
    if (item.byteSize())
        object.key("byteSize").integer(*item.byteSize());
    text("contentHash", item.contentHash());
    object.key("createdAt").date(item.createdAt());
    object.key("displayName").string(item.displayName());
    if (item.durationSeconds())
        object.key("durationSeconds").number(*item.durationSeconds());
    object.key("id").uuid(item.id());
    object.key("kind").string(StashItemKinds::rawValue(item.kind()));
    text("linkTitle", item.linkTitle());
    object.key("locked").boolean(item.locked());
    text("note", item.note());
    text("originalFileName", item.originalFileName());
    if (item.pixelHeight())
        object.key("pixelHeight").integer(*item.pixelHeight());
    if (item.pixelWidth())
        object.key("pixelWidth").integer(*item.pixelWidth());
    text("relativePath", item.relativePath());
    text("text", item.text());
    text("urlString", item.urlString());
}

template<typename Element, typename WriteElement>
QByteArray writeArray(const QList<Element> &elements, WriteElement writeElement)
{
    if (elements.isEmpty())
        return QByteArrayLiteral("[]");
    // About the size of a file item with a hash, so that the buffer rarely grows.
    Writer writer(elements.size() * 480);
    writer.raw("[");
    bool first = true;
    for (const Element &element : elements) {
        writer.raw(first ? "\n  " : ",\n  ");
        first = false;
        writeElement(writer, element);
    }
    writer.raw("\n]");
    return writer.take();
}

// ---- reading ---------------------------------------------------------------

enum class Field {
    id,
    kind,
    displayName,
    createdAt,
    locked,
    note,
    relativePath,
    byteSize,
    originalFileName,
    contentHash,
    pixelWidth,
    pixelHeight,
    text,
    urlString,
    linkTitle,
    durationSeconds,
    unknown
};

Field fieldNamed(std::string_view key)
{
    static constexpr std::pair<std::string_view, Field> fields[] = {
        {"id", Field::id},
        {"kind", Field::kind},
        {"displayName", Field::displayName},
        {"createdAt", Field::createdAt},
        {"locked", Field::locked},
        {"note", Field::note},
        {"relativePath", Field::relativePath},
        {"byteSize", Field::byteSize},
        {"originalFileName", Field::originalFileName},
        {"contentHash", Field::contentHash},
        {"pixelWidth", Field::pixelWidth},
        {"pixelHeight", Field::pixelHeight},
        {"text", Field::text},
        {"urlString", Field::urlString},
        {"linkTitle", Field::linkTitle},
        {"durationSeconds", Field::durationSeconds},
    };
    for (const auto &[name, field] : fields) {
        if (name == key)
            return field;
    }
    return Field::unknown;
}

const char *fieldName(Field field)
{
    static constexpr const char *names[] = {
        "id",           "kind",      "displayName",      "createdAt",       "locked",     "note",
        "relativePath", "byteSize",  "originalFileName", "contentHash",     "pixelWidth", "pixelHeight",
        "text",         "urlString", "linkTitle",        "durationSeconds", "?"};
    return names[static_cast<int>(field)];
}

// The fields of one item as they arrive; missing and null both leave a field unset.
struct RawItem
{
    std::optional<QString> strings[static_cast<int>(Field::unknown)];
    std::optional<std::string> createdAt;
    bool locked = false;
    std::optional<qint64> byteSize;
    std::optional<int> pixelWidth;
    std::optional<int> pixelHeight;
    std::optional<double> durationSeconds;

    std::optional<QString> &string(Field field) { return strings[static_cast<int>(field)]; }
};

QUuid parsedUuid(const QString &text, bool *ok)
{
    const QUuid id = QUuid::fromString(text);
    *ok = text.size() == 36 && (!id.isNull() || text == u"00000000-0000-0000-0000-000000000000");
    return id;
}

using json = nlohmann::json;

// Streams a metadata array into items, or into trash entries, without a tree.
class MetadataReader : public nlohmann::json_sax<json>
{
public:
    explicit MetadataReader(bool trash)
        : m_trash(trash)
    {
    }

    QList<StashItem> items;
    QList<TrashedItem> entries;
    std::optional<FileStorageError> error;

    bool null() override { return value(Value::null); }
    bool boolean(bool flag) override
    {
        m_bool = flag;
        return value(Value::boolean);
    }
    bool number_integer(number_integer_t number) override
    {
        m_integer = number;
        m_integerFits = true;
        return value(Value::integer);
    }
    bool number_unsigned(number_unsigned_t number) override
    {
        m_integerFits = number <= static_cast<number_unsigned_t>(std::numeric_limits<qint64>::max());
        m_integer = m_integerFits ? static_cast<qint64>(number) : 0;
        return value(Value::integer);
    }
    bool number_float(number_float_t number, const string_t &) override
    {
        m_double = number;
        return value(Value::floating);
    }
    bool string(string_t &text) override
    {
        m_string = &text;
        return value(Value::string);
    }
    bool binary(binary_t &) override { return value(Value::other); }

    bool start_object(std::size_t) override
    {
        if (m_skipDepth > 0) {
            ++m_skipDepth;
            return true;
        }
        switch (m_level) {
        case Level::array:
            m_raw = RawItem();
            m_trashedAt.reset();
            m_level = m_trash ? Level::entry : Level::item;
            return true;
        case Level::entry:
            if (m_entryKey != EntryKey::item)
                return skipOrFail();
            m_hasItem = true;
            m_level = Level::item;
            return true;
        case Level::item:
            return skipOrFail();
        case Level::top:
            return fail(QStringLiteral("顶层不是数组"));
        }
        return false;
    }

    bool key(string_t &name) override
    {
        if (m_skipDepth == 0) {
            m_field = fieldNamed(name);
            m_entryKey = name == "item" ? EntryKey::item : name == "trashedAt" ? EntryKey::trashedAt : EntryKey::other;
        }
        return true;
    }

    bool end_object() override
    {
        if (m_skipDepth > 0) {
            --m_skipDepth;
            return true;
        }
        if (m_level == Level::item) {
            std::optional<StashItem> item = finishedItem();
            if (!item)
                return false;
            if (!m_trash) {
                items.append(std::move(*item));
                m_level = Level::array;
            } else {
                m_item = std::move(*item);
                m_level = Level::entry;
            }
            return true;
        }
        // The end of a trash entry.
        if (!m_hasItem)
            return fail(QStringLiteral("第 %1 项缺少“item”").arg(index()));
        if (!m_trashedAt)
            return fail(QStringLiteral("第 %1 项的“trashedAt”缺失或无效").arg(index()));
        entries.append({std::move(m_item), *m_trashedAt});
        m_hasItem = false;
        m_level = Level::array;
        return true;
    }

    bool start_array(std::size_t) override
    {
        if (m_skipDepth > 0) {
            ++m_skipDepth;
            return true;
        }
        if (m_level == Level::top) {
            m_level = Level::array;
            return true;
        }
        if (m_level == Level::array)
            return fail(QStringLiteral("第 %1 项不是对象").arg(index() + 1));
        return skipOrFail();
    }

    bool end_array() override
    {
        if (m_skipDepth > 0)
            --m_skipDepth;
        return true;
    }

    bool parse_error(std::size_t, const std::string &, const nlohmann::detail::exception &failure) override
    {
        if (!error)
            error = FileStorageError::corruptMetadata(QString::fromUtf8(failure.what()));
        return false;
    }

private:
    enum class Level { top, array, entry, item };
    enum class Value { null, boolean, integer, floating, string, other };
    enum class EntryKey { item, trashedAt, other };

    qsizetype index() const { return m_trash ? entries.size() + 1 : items.size() + 1; }

    bool fail(const QString &message)
    {
        error = FileStorageError::corruptMetadata(message);
        return false;
    }

    bool fieldFault(const char *key)
    {
        return fail(QStringLiteral("第 %1 项的“%2”缺失或无效").arg(index()).arg(QLatin1StringView(key)));
    }

    // A nested container: ignored under an unknown key, a fault under a known one.
    bool skipOrFail()
    {
        if (m_level == Level::item && m_field != Field::unknown)
            return fieldFault(fieldName(m_field));
        if (m_level == Level::entry && m_entryKey != EntryKey::other)
            return fieldFault(m_entryKey == EntryKey::item ? "item" : "trashedAt");
        m_skipDepth = 1;
        return true;
    }

    bool value(Value kind)
    {
        if (m_skipDepth > 0)
            return true;
        switch (m_level) {
        case Level::top:
            return fail(QStringLiteral("顶层不是数组"));
        case Level::array:
            return fail(QStringLiteral("第 %1 项不是对象").arg(index()));
        case Level::entry:
            return entryValue(kind);
        case Level::item:
            return itemValue(kind);
        }
        return false;
    }

    bool entryValue(Value kind)
    {
        if (m_entryKey == EntryKey::item)
            return kind == Value::null ? true : fieldFault("item");
        if (m_entryKey != EntryKey::trashedAt)
            return true;
        m_trashedAt.reset();
        if (kind == Value::null)
            return true;
        if (kind != Value::string || !(m_trashedAt = parseDate(*m_string)))
            return fieldFault("trashedAt");
        return true;
    }

    bool itemValue(Value kind)
    {
        const Field field = m_field;
        switch (field) {
        case Field::unknown:
            return true;
        case Field::locked:
            if (kind != Value::null && kind != Value::boolean)
                return fieldFault("locked");
            m_raw.locked = kind == Value::boolean && m_bool;
            return true;
        case Field::byteSize:
            return integerValue(kind, field, m_raw.byteSize);
        case Field::pixelWidth:
            return integerValue(kind, field, m_raw.pixelWidth);
        case Field::pixelHeight:
            return integerValue(kind, field, m_raw.pixelHeight);
        case Field::durationSeconds:
            if (kind == Value::null)
                m_raw.durationSeconds.reset();
            else if (kind == Value::floating)
                m_raw.durationSeconds = m_double;
            else if (kind == Value::integer && m_integerFits)
                m_raw.durationSeconds = static_cast<double>(m_integer);
            else
                return fieldFault("durationSeconds");
            return true;
        case Field::createdAt:
            if (kind == Value::null)
                m_raw.createdAt.reset();
            else if (kind == Value::string)
                m_raw.createdAt = *m_string;
            else
                return fieldFault("createdAt");
            return true;
        default:
            if (kind == Value::null)
                m_raw.string(field).reset();
            else if (kind == Value::string)
                m_raw.string(field) = QString::fromUtf8(m_string->data(), static_cast<qsizetype>(m_string->size()));
            else
                return fieldFault(fieldName(field));
            return true;
        }
    }

    template<typename Integer>
    bool integerValue(Value kind, Field field, std::optional<Integer> &target)
    {
        if (kind == Value::null) {
            target.reset();
            return true;
        }
        if (kind != Value::integer || !m_integerFits || m_integer < std::numeric_limits<Integer>::min()
            || m_integer > std::numeric_limits<Integer>::max())
            return fieldFault(fieldName(field));
        target = static_cast<Integer>(m_integer);
        return true;
    }

    std::optional<StashItem> finishedItem()
    {
        const auto missing = [this](Field field) {
            fieldFault(fieldName(field));
            return std::nullopt;
        };
        const std::optional<QString> &idText = m_raw.string(Field::id);
        bool idOk = false;
        const QUuid id = idText ? parsedUuid(*idText, &idOk) : QUuid();
        if (!idOk)
            return missing(Field::id);
        const std::optional<StashItemKind> kind =
            m_raw.string(Field::kind) ? StashItemKinds::fromRawValue(*m_raw.string(Field::kind)) : std::nullopt;
        if (!kind)
            return missing(Field::kind);
        if (!m_raw.string(Field::displayName))
            return missing(Field::displayName);
        const std::optional<QDateTime> createdAt = m_raw.createdAt ? parseDate(*m_raw.createdAt) : std::nullopt;
        if (!createdAt)
            return missing(Field::createdAt);

        return StashItem(id, *kind, *m_raw.string(Field::displayName), *createdAt, m_raw.locked,
                         m_raw.string(Field::note), m_raw.string(Field::relativePath), m_raw.byteSize,
                         m_raw.string(Field::originalFileName), m_raw.string(Field::contentHash), m_raw.pixelWidth,
                         m_raw.pixelHeight, m_raw.string(Field::text), m_raw.string(Field::urlString),
                         m_raw.string(Field::linkTitle), m_raw.durationSeconds);
    }

    const bool m_trash;
    Level m_level = Level::top;
    int m_skipDepth = 0;
    Field m_field = Field::unknown;
    EntryKey m_entryKey = EntryKey::other;
    RawItem m_raw;
    StashItem m_item;
    bool m_hasItem = false;
    std::optional<QDateTime> m_trashedAt;

    bool m_bool = false;
    qint64 m_integer = 0;
    bool m_integerFits = false;
    double m_double = 0;
    const std::string *m_string = nullptr;
};

MetadataReader read(const QByteArray &bytes, bool trash)
{
    MetadataReader reader(trash);
    const bool ok = json::sax_parse(bytes.constBegin(), bytes.constEnd(), &reader);
    if (reader.error)
        throw *reader.error;
    if (!ok)
        throw FileStorageError::corruptMetadata(QStringLiteral("无法解析"));
    return reader;
}

int digits(std::string_view text, size_t at, size_t count)
{
    int value = 0;
    for (size_t i = at; i < at + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

QByteArray encodeItems(const QList<StashItem> &items)
{
    return writeArray(items, [](Writer &writer, const StashItem &item) { writeItem(writer, item, 4); });
}

EncodedItems encodeItems(const QList<StashItem> &items, const KnownText &known)
{
    EncodedItems encoded;
    encoded.spans.reserve(items.size());
    qsizetype index = 0;
    encoded.bytes = writeArray(items, [&](Writer &writer, const StashItem &item) {
        const qsizetype start = writer.size();
        const QByteArrayView text = known ? known(index) : QByteArrayView();
        if (text.isEmpty())
            writeItem(writer, item, 4);
        else
            writer.bytes(text);
        encoded.spans.append({start, writer.size() - start});
        ++index;
    });
    return encoded;
}

QByteArray encodeTrash(const QList<TrashedItem> &entries)
{
    return writeArray(entries, [](Writer &writer, const TrashedItem &entry) {
        ObjectWriter object(writer, 4);
        writeItem(object.key("item"), entry.item, 6);
        object.key("trashedAt").date(entry.trashedAt);
    });
}

QList<StashItem> decodeItems(const QByteArray &bytes)
{
    return read(bytes, false).items;
}

QList<TrashedItem> decodeTrash(const QByteArray &bytes)
{
    return read(bytes, true).entries;
}

QString formatDate(const QDateTime &date)
{
    char buffer[24];
    return QString::fromLatin1(buffer, formattedDate(date, buffer));
}

std::optional<QDateTime> parseDate(std::string_view text)
{
    // yyyy-mm-ddThh:mm:ss followed by Z or ±hh:mm
    if (text.size() != 20 && text.size() != 25)
        return std::nullopt;
    if (text[4] != '-' || text[7] != '-' || (text[10] != 'T' && text[10] != 't') || text[13] != ':' || text[16] != ':')
        return std::nullopt;
    const int year = digits(text, 0, 4);
    const QDate day(year, digits(text, 5, 2), digits(text, 8, 2));
    // A leap second (":60") is real RFC 3339 that QTime cannot hold; the second
    // before it is off by less than the precision the files keep anyway.
    const int second = digits(text, 17, 2);
    const QTime time(digits(text, 11, 2), digits(text, 14, 2), second == 60 ? 59 : second);
    if (year < 0 || !day.isValid() || !time.isValid())
        return std::nullopt;

    int offsetSeconds = 0;
    if (text.size() == 20) {
        if (text[19] != 'Z' && text[19] != 'z')
            return std::nullopt;
    } else {
        const int hours = digits(text, 20, 2);
        const int minutes = digits(text, 23, 2);
        if ((text[19] != '+' && text[19] != '-') || text[22] != ':' || hours < 0 || hours > 23 || minutes < 0
            || minutes > 59)
            return std::nullopt;
        offsetSeconds = (hours * 60 + minutes) * 60 * (text[19] == '-' ? -1 : 1);
    }
    return QDateTime(day, time, Qt::UTC).addSecs(-offsetSeconds);
}

} // namespace holdra::MetadataCodec
