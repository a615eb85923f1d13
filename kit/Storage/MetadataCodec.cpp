#include "Storage/MetadataCodec.h"

#include "Storage/FileStorageError.h"

#include <nlohmann/json.hpp>

#include <limits>

namespace holdra::MetadataCodec {

namespace {

using nlohmann::json;

std::string utf8(const QString &text)
{
    return text.toStdString();
}

std::string uuidText(const QUuid &id)
{
    return utf8(id.toString(QUuid::WithoutBraces).toUpper());
}

json encodeItem(const StashItem &item)
{
    json object = json::object();
    object["id"] = uuidText(item.id());
    object["kind"] = utf8(StashItemKinds::rawValue(item.kind()));
    object["displayName"] = utf8(item.displayName());
    object["createdAt"] = utf8(formatDate(item.createdAt()));
    object["locked"] = item.locked();
    const auto putText = [&object](const char *key, const std::optional<QString> &value) {
        if (value)
            object[key] = utf8(*value);
    };
    putText("note", item.note());
    putText("relativePath", item.relativePath());
    if (item.byteSize())
        object["byteSize"] = *item.byteSize();
    putText("originalFileName", item.originalFileName());
    putText("contentHash", item.contentHash());
    if (item.pixelWidth())
        object["pixelWidth"] = *item.pixelWidth();
    if (item.pixelHeight())
        object["pixelHeight"] = *item.pixelHeight();
    putText("text", item.text());
    putText("urlString", item.urlString());
    putText("linkTitle", item.linkTitle());
    if (item.durationSeconds())
        object["durationSeconds"] = *item.durationSeconds();
    return object;
}

// "/" occurs only inside strings in the dumped text, so one pass escapes them all.
QByteArray written(const json &document)
{
    const std::string text = document.dump(2, ' ', false, json::error_handler_t::replace);
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(text.size() + text.size() / 16 + 1));
    for (const char c : text) {
        if (c == '/')
            bytes.append('\\');
        bytes.append(c);
    }
    return bytes;
}

[[noreturn]] void fault(qsizetype index, const char *key)
{
    throw FileStorageError::corruptMetadata(
        QStringLiteral("第 %1 项的“%2”缺失或无效").arg(index + 1).arg(QLatin1StringView(key)));
}

// Missing and null both mean absent; any other type is a fault.
const json *field(const json &object, const char *key)
{
    const auto found = object.find(key);
    if (found == object.end() || found->is_null())
        return nullptr;
    return &*found;
}

const json &required(const json &object, const char *key, qsizetype index)
{
    const json *value = field(object, key);
    if (!value)
        fault(index, key);
    return *value;
}

QString stringValue(const json &value, qsizetype index, const char *key)
{
    if (!value.is_string())
        fault(index, key);
    return QString::fromStdString(value.get_ref<const std::string &>());
}

std::optional<QString> optionalString(const json &object, const char *key, qsizetype index)
{
    const json *value = field(object, key);
    if (!value)
        return std::nullopt;
    return stringValue(*value, index, key);
}

template<typename Integer>
std::optional<Integer> optionalInteger(const json &object, const char *key, qsizetype index)
{
    const json *value = field(object, key);
    if (!value)
        return std::nullopt;
    if (value->is_number_unsigned()) {
        const auto number = value->get<std::uint64_t>();
        if (number > static_cast<std::uint64_t>(std::numeric_limits<Integer>::max()))
            fault(index, key);
        return static_cast<Integer>(number);
    }
    if (!value->is_number_integer())
        fault(index, key);
    const auto number = value->get<std::int64_t>();
    if (number < std::numeric_limits<Integer>::min() || number > std::numeric_limits<Integer>::max())
        fault(index, key);
    return static_cast<Integer>(number);
}

QDateTime dateValue(const json &value, qsizetype index, const char *key)
{
    if (!value.is_string())
        fault(index, key);
    const std::optional<QDateTime> date = parseDate(value.get_ref<const std::string &>());
    if (!date)
        fault(index, key);
    return *date;
}

QUuid uuidValue(const json &value, qsizetype index, const char *key)
{
    if (!value.is_string())
        fault(index, key);
    const std::string &text = value.get_ref<const std::string &>();
    if (text.size() != 36)
        fault(index, key);
    const QUuid id = QUuid::fromString(QLatin1StringView(text.data(), 36));
    if (id.isNull() && text != "00000000-0000-0000-0000-000000000000")
        fault(index, key);
    return id;
}

StashItem decodeItem(const json &object, qsizetype index)
{
    if (!object.is_object())
        throw FileStorageError::corruptMetadata(QStringLiteral("第 %1 项不是对象").arg(index + 1));

    const QUuid id = uuidValue(required(object, "id", index), index, "id");
    const std::optional<StashItemKind> kind =
        StashItemKinds::fromRawValue(stringValue(required(object, "kind", index), index, "kind"));
    if (!kind)
        fault(index, "kind");
    const QString displayName =
        stringValue(required(object, "displayName", index), index, "displayName");
    const QDateTime createdAt = dateValue(required(object, "createdAt", index), index, "createdAt");

    bool locked = false;
    if (const json *value = field(object, "locked")) {
        if (!value->is_boolean())
            fault(index, "locked");
        locked = value->get<bool>();
    }

    std::optional<double> duration;
    if (const json *value = field(object, "durationSeconds")) {
        if (!value->is_number())
            fault(index, "durationSeconds");
        duration = value->get<double>();
    }

    return StashItem(id, *kind, displayName, createdAt, locked,
                     optionalString(object, "note", index),
                     optionalString(object, "relativePath", index),
                     optionalInteger<qint64>(object, "byteSize", index),
                     optionalString(object, "originalFileName", index),
                     optionalString(object, "contentHash", index),
                     optionalInteger<int>(object, "pixelWidth", index),
                     optionalInteger<int>(object, "pixelHeight", index),
                     optionalString(object, "text", index),
                     optionalString(object, "urlString", index),
                     optionalString(object, "linkTitle", index), duration);
}

json parsedArray(const QByteArray &bytes)
{
    json document;
    try {
        document = json::parse(bytes.constBegin(), bytes.constEnd());
    } catch (const json::exception &error) {
        throw FileStorageError::corruptMetadata(QString::fromUtf8(error.what()));
    }
    if (!document.is_array())
        throw FileStorageError::corruptMetadata(QStringLiteral("顶层不是数组"));
    return document;
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
    json array = json::array();
    array.get_ref<json::array_t &>().reserve(static_cast<size_t>(items.size()));
    for (const StashItem &item : items)
        array.push_back(encodeItem(item));
    return written(array);
}

QByteArray encodeTrash(const QList<TrashedItem> &entries)
{
    json array = json::array();
    array.get_ref<json::array_t &>().reserve(static_cast<size_t>(entries.size()));
    for (const TrashedItem &entry : entries) {
        json object = json::object();
        object["item"] = encodeItem(entry.item);
        object["trashedAt"] = utf8(formatDate(entry.trashedAt));
        array.push_back(std::move(object));
    }
    return written(array);
}

QList<StashItem> decodeItems(const QByteArray &bytes)
{
    const json array = parsedArray(bytes);
    QList<StashItem> items;
    items.reserve(static_cast<qsizetype>(array.size()));
    for (size_t i = 0; i < array.size(); ++i)
        items.append(decodeItem(array[i], static_cast<qsizetype>(i)));
    return items;
}

QList<TrashedItem> decodeTrash(const QByteArray &bytes)
{
    const json array = parsedArray(bytes);
    QList<TrashedItem> entries;
    entries.reserve(static_cast<qsizetype>(array.size()));
    for (size_t i = 0; i < array.size(); ++i) {
        const json &object = array[i];
        const auto index = static_cast<qsizetype>(i);
        if (!object.is_object())
            throw FileStorageError::corruptMetadata(QStringLiteral("第 %1 项不是对象").arg(index + 1));
        StashItem item = decodeItem(required(object, "item", index), index);
        entries.append({std::move(item),
                        dateValue(required(object, "trashedAt", index), index, "trashedAt")});
    }
    return entries;
}

QString formatDate(const QDateTime &date)
{
    const QDateTime utc = date.toUTC();
    const QDate day = utc.date();
    const QTime time = utc.time();
    return QString::asprintf("%04d-%02d-%02dT%02d:%02d:%02dZ", day.year(), day.month(), day.day(),
                             time.hour(), time.minute(), time.second());
}

std::optional<QDateTime> parseDate(std::string_view text)
{
    // yyyy-mm-ddThh:mm:ss followed by Z or ±hh:mm
    if (text.size() != 20 && text.size() != 25)
        return std::nullopt;
    if (text[4] != '-' || text[7] != '-' || (text[10] != 'T' && text[10] != 't') || text[13] != ':'
        || text[16] != ':')
        return std::nullopt;
    const QDate day(digits(text, 0, 4), digits(text, 5, 2), digits(text, 8, 2));
    const QTime time(digits(text, 11, 2), digits(text, 14, 2), digits(text, 17, 2));
    if (!day.isValid() || !time.isValid() || digits(text, 0, 4) < 0)
        return std::nullopt;

    int offsetSeconds = 0;
    if (text.size() == 20) {
        if (text[19] != 'Z' && text[19] != 'z')
            return std::nullopt;
    } else {
        const int hours = digits(text, 20, 2);
        const int minutes = digits(text, 23, 2);
        if ((text[19] != '+' && text[19] != '-') || text[22] != ':' || hours < 0 || hours > 23
            || minutes < 0 || minutes > 59)
            return std::nullopt;
        offsetSeconds = (hours * 60 + minutes) * 60 * (text[19] == '-' ? -1 : 1);
    }
    return QDateTime(day, time, Qt::UTC).addSecs(-offsetSeconds);
}

} // namespace holdra::MetadataCodec
