#include "Pasteboard/DropImport.h"

#include "Pasteboard/DropDecision.h"
#include "Pasteboard/DropFileURLDecoder.h"
#include "Pasteboard/ImportFeedback.h"
#include "Store/StashStore.h"
#include "Support/KitLogging.h"

#include <QDateTime>
#include <QHash>
#include <QMimeData>

#include <memory>

namespace holdra {

namespace {

const QString uriList = QStringLiteral("text/uri-list");
const QString gnomeCopiedFiles = QStringLiteral("x-special/gnome-copied-files");

// The URL lines of a list, without comments and the "copy"/"cut" verb of copied files.
QList<QByteArray> entries(const QByteArray &list)
{
    QList<QByteArray> result;
    for (QByteArray line : list.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#') || line == "copy" || line == "cut")
            continue;
        result.append(line);
    }
    return result;
}

DropProvider entryProvider(const QByteArray &entry)
{
    return DropProvider({uriList}, [entry](const QString &type) -> std::optional<QByteArray> {
        if (type == uriList)
            return entry + "\r\n";
        return std::nullopt;
    });
}

template<class... Ts>
struct Overloaded : Ts...
{
    using Ts::operator()...;
};
// Older compilers (clang 14) do not deduce aggregate templates without a guide.
template<class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

} // namespace

std::optional<QString> DropImport::Outcome::message() const
{
    return ImportFeedback::dropFeedback(addedCount, duplicates);
}

QList<DropProvider> DropImport::providers(const QMimeData &data)
{
    QList<QByteArray> listed;
    for (const QString &format : {uriList, gnomeCopiedFiles}) {
        if (data.hasFormat(format)) {
            listed = entries(data.data(format));
            if (!listed.isEmpty())
                break;
        }
    }
    const bool singleRemote = listed.size() == 1 && !DropFileURLDecoder::decode(QString::fromUtf8(listed.first()));
    if (!listed.isEmpty() && !singleRemote) {
        QList<DropProvider> result;
        for (const QByteArray &entry : std::as_const(listed))
            result.append(entryProvider(entry));
        return result;
    }

    // The drag's data is gone after the drop; the provider keeps its own copy.
    auto payload = std::make_shared<QHash<QString, QByteArray>>();
    const QStringList formats = data.formats();
    for (const QString &format : formats)
        payload->insert(format, data.data(format));
    if (payload->isEmpty())
        return {};
    return {DropProvider(formats, [payload](const QString &type) -> std::optional<QByteArray> {
        const auto found = payload->constFind(type);
        if (found == payload->constEnd())
            return std::nullopt;
        return *found;
    })};
}

namespace {

// The stashed items a drag out of the shelf carried, in the drag's order.
QList<StashItem> draggedBackItems(const QMimeData &data, const StashStore &store)
{
    QList<StashItem> found;
    if (!data.hasFormat(DropImport::draggedItemsFormat()))
        return found;
    for (const QByteArray &line : data.data(DropImport::draggedItemsFormat()).split('\n')) {
        const QUuid id(QString::fromLatin1(line.trimmed()));
        for (const StashItem &item : store.items()) {
            if (!id.isNull() && item.id() == id)
                found.append(item);
        }
    }
    return found;
}

} // namespace

DropImport::Prepared DropImport::prepare(const QMimeData &data, StashStore &store)
{
    Prepared prepared;
    // Rows dragged back in: nothing is stored again, not even a text's file.
    if (const QList<StashItem> own = draggedBackItems(data, store); !own.isEmpty()) {
        prepared.draggedBack = StashStore::uniqueItems(own);
        return prepared;
    }
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const DropProvider &provider : providers(data)) {
        const std::optional<DropContent> content = DropDecision::decide(provider);
        if (!content)
            continue;
        try {
            // Files are left to copy later, off the main thread; data in memory is stored now.
            std::visit(Overloaded{
                           [&](const DropContent::File &file) { prepared.entries.append(file.url); },
                           [&](const DropContent::Audio &audio) {
                               prepared.entries.append(
                                   store.stageAudioData(audio.data, audio.suggestedName, audio.fileExtension));
                           },
                           [&](const DropContent::Image &image) {
                               prepared.entries.append(
                                   store.stageImageData(image.data, image.suggestedName, image.fileExtension));
                           },
                           [&](const DropContent::Link &link) {
                               prepared.entries.append(StashItem::makeLink(link.url, std::nullopt, now));
                           },
                           [&](const DropContent::Text &text) {
                               prepared.entries.append(StashItem::makeText(text.text, now));
                           },
                       },
                       content->value);
        } catch (const FileStorageError &error) {
            // One unreadable or uncopyable item does not stop the others.
            qCWarning(lcImport).noquote() << "a dropped item was not stashed:" << error.errorDescription();
        }
    }
    return prepared;
}

DropImport::Outcome DropImport::finish(const Prepared &prepared, const ImportJob::Result &result)
{
    Outcome outcome;
    if (result.cancelled)
        return outcome;
    outcome.addedCount = int(result.added.size());
    for (const FileStorageError &error : result.errors)
        qCWarning(lcImport).noquote() << "a dropped item was not stashed:" << error.errorDescription();
    outcome.duplicates = StashStore::uniqueItems(prepared.draggedBack + result.duplicates);
    return outcome;
}

DropImport::Outcome DropImport::run(const QMimeData &data, StashStore &store)
{
    const Prepared prepared = prepare(data, store);
    QList<StashItem> staged;
    QList<StashItem> draggedBack = prepared.draggedBack;
    for (const ImportJob::Entry &entry : prepared.entries) {
        if (const StashItem *item = std::get_if<StashItem>(&entry)) {
            staged.append(*item);
            continue;
        }
        const QUrl url = std::get<QUrl>(entry);
        try {
            if (std::optional<StashItem> existing = store.existingItemForManagedUrl(url))
                draggedBack.append(*existing);
            else
                staged.append(store.stageFile(url));
        } catch (const FileStorageError &error) {
            qCWarning(lcImport).noquote() << "a dropped item was not stashed:" << error.errorDescription();
        }
    }
    const QList<StashItem> known = staged.isEmpty() ? QList<StashItem>() : store.insert(staged);
    Outcome outcome;
    outcome.addedCount = int(staged.size() - known.size());
    outcome.duplicates = StashStore::uniqueItems(draggedBack + known);
    return outcome;
}

} // namespace holdra
