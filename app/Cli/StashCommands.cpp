#include "Cli/StashCommands.h"

#include "Cli/ItemFormatter.h"
#include "Cli/ItemIdResolver.h"
#include "Integration/ExternalFileImportContract.h"
#include "Models/ItemSearch.h"
#include "Pasteboard/WebAddress.h"
#include "Storage/FileStorageError.h"
#include "Storage/MetadataCodec.h"
#include "Store/StashFeedback.h"
#include "Store/StashStore.h"

#include <QFile>
#include <QIODevice>
#include <QSet>
#include <QStringDecoder>
#include <QUrl>

namespace holdra::cli {

namespace {

// A path typed as bytes that are not UTF-8 cannot be spelt as a QString without
// naming another file; it travels percent-encoded in the URL instead.
std::optional<QUrl> nativeFileUrl(const QByteArray &raw, const QString &workingDirectory)
{
    if (raw.isEmpty() || QUtf8StringView(raw).isValidUtf8())
        return std::nullopt;
    const QByteArray absolute = raw.startsWith('/') ? raw : QFile::encodeName(workingDirectory) + '/' + raw;
    QUrl url;
    url.setScheme(QStringLiteral("file"));
    url.setPath(QString::fromLatin1(absolute.toPercentEncoding("/")), QUrl::TolerantMode);
    return url;
}

template<typename Entry>
QList<QUuid> idsOf(const QList<Entry> &entries)
{
    QList<QUuid> ids;
    ids.reserve(entries.size());
    for (const Entry &entry : entries)
        ids.append(entry.id());
    return ids;
}

} // namespace

StashCommands::StashCommands(StashStore &store, QTextStream &out, QTextStream &err)
    : m_store(store)
    , m_out(out)
    , m_err(err)
{
    m_refusals = QObject::connect(&store, &StashStore::saveFailed, [this](const QString &message) {
        m_err << "holdra: " << message << '\n';
        m_refused = true;
    });
}

StashCommands::~StashCommands()
{
    QObject::disconnect(m_refusals);
}

int StashCommands::usage(const QString &message)
{
    m_err << "holdra: " << message << "\n请看 'holdra --help'。\n";
    return 2;
}

QList<QUuid> StashCommands::resolve(const QStringList &typed, bool inTrash, int &failures)
{
    const ItemIdResolver resolver(inTrash ? idsOf(m_store.trashItems()) : idsOf(m_store.items()));
    QList<QUuid> ids;
    for (const QString &argument : typed) {
        const ItemIdResolver::Result result = resolver.resolve(argument);
        if (const auto *failure = std::get_if<ItemIdResolver::Failure>(&result)) {
            m_err << "holdra: " << failure->message << (inTrash ? "（回收站）" : "") << '\n';
            ++failures;
        } else if (!ids.contains(std::get<QUuid>(result))) {
            ids.append(std::get<QUuid>(result));
        }
    }
    return ids;
}

int StashCommands::add(const QStringList &arguments, const QString &workingDirectory, QIODevice &input,
                       const QList<QByteArray> &rawArguments)
{
    const FilesToAdd files = prepareAdd(arguments, workingDirectory, input, rawArguments);
    if (files.status)
        return *files.status;
    return finishAdd(m_store.addFiles(files.urls), files.failures);
}

StashCommands::FilesToAdd StashCommands::prepareAdd(const QStringList &arguments, const QString &workingDirectory,
                                                    QIODevice &input, const QList<QByteArray> &rawArguments)
{
    if (arguments.isEmpty())
        return {{}, 0, usage(QStringLiteral("add 需要路径，或 --text 文字"))};

    if (arguments.first() == u"--text") {
        if (arguments.size() != 2)
            return {{}, 0, usage(QStringLiteral("add --text 只接受一段文字（或用 - 从标准输入读取）"))};
        if (arguments.at(1) != u"-")
            return {{}, 0, addText(arguments.at(1))};
        QStringDecoder decoder(QStringDecoder::Utf8);
        QString text = decoder.decode(input.readAll());
        // `echo … | holdra add --text -` means the words, not the newline echo adds.
        if (text.endsWith(u'\n'))
            text.chop(text.endsWith(QLatin1String("\r\n")) ? 2 : 1);
        if (decoder.hasError()) {
            m_err << "holdra: 标准输入不是 UTF-8 文字\n";
            return {{}, 0, 1};
        }
        return {{}, 0, addText(text)};
    }

    QStringList paths = arguments;
    QList<QByteArray> rawPaths = rawArguments;
    if (paths.first() == u"--") {
        paths.removeFirst();
        if (!rawPaths.isEmpty())
            rawPaths.removeFirst();
    }
    if (paths.isEmpty())
        return {{}, 0, usage(QStringLiteral("add 需要路径"))};

    // Arguments that are not file locations at all are reported, not dropped silently.
    FilesToAdd files;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const QString &path = paths.at(i);
        if (const std::optional<QUrl> native = nativeFileUrl(rawPaths.value(i), workingDirectory)) {
            files.urls.append(*native);
            continue;
        }
        const QList<QUrl> found = ExternalFileImportContract::fileURLsFromArguments({path}, workingDirectory);
        if (found.isEmpty()) {
            m_err << "holdra: “" << path << "”不是本地文件\n";
            ++files.failures;
        } else if (!files.urls.contains(found.first())) {
            files.urls.append(found.first());
        }
    }
    if (files.urls.isEmpty())
        files.status = 1;
    return files;
}

int StashCommands::finishAdd(const StashStore::AddFilesResult &result, int failures)
{
    if (takeRefusal()) {
        for (const FileStorageError &error : result.errors)
            m_err << "holdra: " << error.errorDescription() << '\n';
        return 1;
    }
    for (const StashItem &item : result.added)
        m_out << ItemFormatter::line(item) << '\n';
    for (const StashItem &item : result.duplicates)
        m_out << ItemFormatter::line(item) << "\t「" << ItemFormatter::escaped(item.displayName()) << "」已存在\n";
    for (const FileStorageError &error : result.errors)
        m_err << "holdra: " << error.errorDescription() << '\n';
    return failures + result.errors.size() > 0 ? 1 : 0;
}

int StashCommands::addText(const QString &text)
{
    if (text.trimmed().isEmpty()) {
        m_err << "holdra: 没有可暂存的文字\n";
        return 1;
    }
    const StashItem item =
        WebAddress::fromText(text) ? m_store.addLink(text.trimmed(), std::nullopt) : m_store.addText(text);
    if (takeRefusal())
        return 1;
    m_out << ItemFormatter::line(item) << '\n';
    return 0;
}

int StashCommands::list(const QStringList &arguments)
{
    bool trash = false;
    bool json = false;
    std::optional<ItemSearch> search;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == u"--trash")
            trash = true;
        else if (argument == u"--json")
            json = true;
        else if (argument == u"--search" && i + 1 < arguments.size())
            search.emplace(arguments[++i]);
        else if (argument == u"--search")
            return usage(QStringLiteral("--search 后面要跟要找的文字"));
        else
            return usage(QStringLiteral("list 只接受 --trash、--json 和 --search，不接受“%1”").arg(argument));
    }
    if (trash) {
        QList<TrashedItem> matching;
        if (search) {
            for (const TrashedItem &entry : m_store.trashItems()) {
                if (search->matches(entry.item))
                    matching.append(entry);
            }
        }
        const QList<TrashedItem> &entries = search ? matching : m_store.trashItems();
        if (json) {
            m_out << QString::fromUtf8(MetadataCodec::encodeTrash(entries)) << '\n';
        } else {
            for (const TrashedItem &entry : entries)
                m_out << ItemFormatter::line(entry) << '\n';
        }
        return 0;
    }
    QList<StashItem> matching;
    if (search) {
        for (const StashItem &item : m_store.items()) {
            if (search->matches(item))
                matching.append(item);
        }
    }
    const QList<StashItem> &items = search ? matching : m_store.items();
    if (json) {
        m_out << QString::fromUtf8(MetadataCodec::encodeItems(items)) << '\n';
    } else {
        for (const StashItem &item : items)
            m_out << ItemFormatter::line(item) << '\n';
    }
    return 0;
}

int StashCommands::show(const QStringList &arguments)
{
    const bool json = arguments.contains(QStringLiteral("--json"));
    QStringList ids = arguments;
    ids.removeAll(QStringLiteral("--json"));
    if (ids.size() != 1)
        return usage(QStringLiteral("show 只接受一个 ID"));

    // An id is looked for in the stash first, then in the trash.
    const ItemIdResolver::Result activeMatch = ItemIdResolver(idsOf(m_store.items())).resolve(ids.first());
    if (const QUuid *id = std::get_if<QUuid>(&activeMatch)) {
        for (const StashItem &item : m_store.items()) {
            if (item.id() != *id)
                continue;
            if (json)
                m_out << QString::fromUtf8(MetadataCodec::encodeItems({item})) << '\n';
            else
                m_out << ItemFormatter::details(item).join(u'\n') << '\n';
            return 0;
        }
    }
    const ItemIdResolver::Result trashMatch = ItemIdResolver(idsOf(m_store.trashItems())).resolve(ids.first());
    if (const QUuid *id = std::get_if<QUuid>(&trashMatch)) {
        for (const TrashedItem &entry : m_store.trashItems()) {
            if (entry.id() != *id)
                continue;
            if (json) {
                m_out << QString::fromUtf8(MetadataCodec::encodeTrash({entry})) << '\n';
            } else {
                m_out << ItemFormatter::details(entry.item).join(u'\n') << '\n'
                      << "trashed: " << MetadataCodec::formatDate(entry.trashedAt) << '\n';
            }
            return 0;
        }
    }
    m_err << "holdra: " << std::get<ItemIdResolver::Failure>(activeMatch).message << '\n';
    return 1;
}

int StashCommands::path(const QStringList &arguments)
{
    if (arguments.size() != 1)
        return usage(QStringLiteral("path 只接受一个 ID"));
    int failures = 0;
    const QList<QUuid> ids = resolve(arguments, false, failures);
    if (ids.isEmpty())
        return 1;
    for (const StashItem &item : m_store.items()) {
        if (item.id() != ids.first())
            continue;
        if (const std::optional<QString> path = m_store.absolutePath(item)) {
            m_out << *path << '\n';
            return 0;
        }
        m_err << "holdra: " << ItemFormatter::idText(item.id()) << " 没有存储副本\n";
    }
    return 1;
}

int StashCommands::remove(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return usage(QStringLiteral("rm 至少需要一个 ID"));
    int failures = 0;
    const QList<QUuid> ids = resolve(arguments, false, failures);
    qint64 locked = 0;
    for (const StashItem &item : m_store.items()) {
        if (item.locked() && ids.contains(item.id())) {
            m_err << "holdra: " << ItemFormatter::idText(item.id()) << " 已锁定，先解锁再删除\n";
            ++locked;
        }
    }
    if (!ids.isEmpty()) {
        const int removed = m_store.remove(QSet<QUuid>(ids.cbegin(), ids.cend()));
        if (takeRefusal())
            return 1;
        m_out << StashFeedback::removalMessage(removed, locked) << '\n';
    }
    return failures + locked > 0 ? 1 : 0;
}

int StashCommands::clear(const QStringList &arguments)
{
    if (!arguments.isEmpty())
        return usage(QStringLiteral("clear 不接受参数"));
    qint64 locked = 0;
    for (const StashItem &item : m_store.items())
        locked += item.locked() ? 1 : 0;
    const qint64 removed = m_store.count() - locked;
    m_store.removeAll();
    if (takeRefusal())
        return 1;
    if (const std::optional<QString> message = StashFeedback::clearMessage(removed, locked))
        m_out << *message << '\n';
    return 0;
}

int StashCommands::restore(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return usage(QStringLiteral("restore 需要 ID，或 --all"));
    int failures = 0;
    QList<QUuid> ids;
    if (arguments == QStringList{QStringLiteral("--all")})
        ids = idsOf(m_store.trashItems());
    else
        ids = resolve(arguments, true, failures);
    if (!ids.isEmpty()) {
        const TrashRestoreResult result = m_store.restoreFromTrash(QSet<QUuid>(ids.cbegin(), ids.cend()));
        if (takeRefusal())
            return 1;
        for (const StashItem &item : result.restored)
            m_out << ItemFormatter::line(item) << '\n';
        for (const StashItem &item : result.duplicates)
            m_err << "holdra: " << ItemFormatter::idText(item.id()) << ": 暂存中已有相同文件，未恢复\n";
        for (const StashItem &item : result.missingFiles)
            m_err << "holdra: " << ItemFormatter::idText(item.id()) << ": 原文件已缺失，无法恢复\n";
        if (const std::optional<QString> message = StashFeedback::restoreMessage(result))
            m_out << *message << '\n';
        failures += int(result.duplicates.size() + result.missingFiles.size());
    }
    return failures > 0 ? 1 : 0;
}

int StashCommands::setLocked(bool locked, const QStringList &arguments)
{
    if (arguments.isEmpty())
        return usage(locked ? QStringLiteral("lock 至少需要一个 ID") : QStringLiteral("unlock 至少需要一个 ID"));
    int failures = 0;
    const QList<QUuid> ids = resolve(arguments, false, failures);
    if (!ids.isEmpty()) {
        m_store.setLocked(locked, QSet<QUuid>(ids.cbegin(), ids.cend()));
        if (takeRefusal())
            return 1;
        m_out << StashFeedback::lockMessage(locked, ids.size()) << '\n';
    }
    return failures > 0 ? 1 : 0;
}

int StashCommands::note(const QStringList &arguments)
{
    if (arguments.isEmpty() || arguments.size() > 2)
        return usage(QStringLiteral("note 需要一个 ID，设置备注时再加上文字"));
    int failures = 0;
    const QList<QUuid> ids = resolve(arguments.mid(0, 1), false, failures);
    if (ids.isEmpty())
        return 1;
    const std::optional<QString> text = arguments.size() == 2 ? std::optional(arguments.at(1)) : std::nullopt;
    m_store.setNote(text, ids.first());
    if (takeRefusal())
        return 1;
    for (const StashItem &item : m_store.items()) {
        if (item.id() == ids.first())
            m_out << ItemFormatter::line(item) << '\t' << ItemFormatter::escaped(item.note().value_or(QString()))
                  << '\n';
    }
    return 0;
}

} // namespace holdra::cli
