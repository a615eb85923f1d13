#include "Cli/StashCheck.h"

#include "Cli/ItemFormatter.h"
#include "Models/StashItemKind.h"
#include "Storage/ContentHasher.h"
#include "Storage/DiskFileStorage.h"
#include "Storage/FileStorageError.h"
#include "Storage/JSONMetadataStore.h"
#include "Storage/JSONTrashMetadataStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <nlohmann/json.hpp>

namespace holdra::cli {

namespace {

template<typename Store>
auto loadList(Store &store, const QString &name, QStringList &unreadable)
{
    try {
        return store.load();
    } catch (const FileStorageError &error) {
        unreadable.append(name + QStringLiteral(": ") + error.errorDescription());
        return decltype(store.load()){};
    }
}

void checkItem(const StashItem &item, bool inTrash, const DiskFileStorage &storage, StashCheck::Report &report,
               QSet<QString> &referenced)
{
    if (!item.relativePath())
        return;
    referenced.insert(item.relativePath()->section(u'/', 0, 0));
    const std::optional<QString> path = storage.absolutePath(*item.relativePath());
    const StashCheck::ItemProblem problem{item.id(), item.displayName(), inTrash};
    if (!path || !QFileInfo::exists(*path)) {
        report.missingCopies.append(problem);
        return;
    }
    // Folders carry no hash; a file's hash is compared only when one was recorded.
    if (item.contentHash() && QFileInfo(*path).isFile() && ContentHasher::sha256Hex(*path) != item.contentHash())
        report.changedCopies.append(problem);
}

} // namespace

StashCheck::Report StashCheck::run(const QString &supportDirectory)
{
    const QDir support(supportDirectory);
    Report report;
    JSONMetadataStore metadata(support.filePath(QStringLiteral("metadata.json")));
    JSONTrashMetadataStore trash(support.filePath(QStringLiteral("trash.json")));
    const QList<StashItem> items = loadList(metadata, QStringLiteral("metadata.json"), report.unreadableLists);
    const QList<TrashedItem> trashed = loadList(trash, QStringLiteral("trash.json"), report.unreadableLists);

    const QString filesRoot = support.filePath(QStringLiteral("Files"));
    const DiskFileStorage storage(filesRoot);
    QSet<QString> referenced;
    for (const StashItem &item : items)
        checkItem(item, false, storage, report, referenced);
    for (const TrashedItem &entry : trashed)
        checkItem(entry.item, true, storage, report, referenced);

    // With a list unreadable every directory would look unreferenced, which says nothing.
    if (report.unreadableLists.isEmpty()) {
        const QStringList directories =
            QDir(filesRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
        for (const QString &directory : directories) {
            if (!referenced.contains(directory))
                report.unreferencedDirectories.append(directory);
        }
    }
    return report;
}

QByteArray StashCheck::toJson(const Report &report)
{
    const auto problems = [](const QList<ItemProblem> &list) {
        nlohmann::json array = nlohmann::json::array();
        for (const ItemProblem &problem : list)
            array.push_back({{"id", ItemFormatter::idText(problem.id).toStdString()},
                             {"displayName", problem.displayName.toStdString()},
                             {"inTrash", problem.inTrash}});
        return array;
    };
    const auto strings = [](const QStringList &list) {
        nlohmann::json array = nlohmann::json::array();
        for (const QString &text : list)
            array.push_back(text.toStdString());
        return array;
    };
    const nlohmann::json json{{"unreadableLists", strings(report.unreadableLists)},
                              {"missingCopies", problems(report.missingCopies)},
                              {"changedCopies", problems(report.changedCopies)},
                              {"unreferencedDirectories", strings(report.unreferencedDirectories)}};
    return QByteArray::fromStdString(json.dump(2));
}

QStringList StashCheck::toLines(const Report &report)
{
    QStringList lines;
    for (const QString &list : report.unreadableLists)
        lines.append(QStringLiteral("unreadable\t") + list);
    const auto add = [&lines](const char *what, const QList<ItemProblem> &list) {
        for (const ItemProblem &problem : list)
            lines.append(QStringList{QLatin1String(what), ItemFormatter::idText(problem.id),
                                     ItemFormatter::escaped(problem.displayName),
                                     problem.inTrash ? QStringLiteral("trash") : QStringLiteral("stash")}
                             .join(u'\t'));
    };
    add("missing", report.missingCopies);
    add("changed", report.changedCopies);
    for (const QString &directory : report.unreferencedDirectories)
        lines.append(QStringLiteral("unreferenced\t") + directory);
    return lines;
}

} // namespace holdra::cli
