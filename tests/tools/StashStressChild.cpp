// Drives a stash with a stream of every kind of change (files, texts, image and
// audio data, removals, clearing, restores, locks, notes and purges) until it is killed.
// After each operation has returned (and so has been saved) it reports the items
// it touched on stdout, one line each: "added", "trashed", "restored" or
// "changed", a space and the item's id; "purging" comes before a purge, since
// the items it names may be gone the moment it returns. "ready" comes first,
// once the store is open. The crash-safety suite kills this process at random
// moments and checks the files against those reports.
//
// Usage: holdra_stash_stress_child SUPPORT_DIR SCRATCH_DIR SEED

#include "Store/StashStore.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QUrl>

#include <unistd.h>

#include <cstdio>

using namespace holdra;
using namespace Qt::StringLiterals;

namespace {

// One write per operation, so a kill never splits the report of an item.
void report(const QByteArray &lines)
{
    qsizetype written = 0;
    while (written < lines.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, lines.constData() + written, size_t(lines.size() - written));
        if (n <= 0)
            return;
        written += n;
    }
}

QByteArray line(const char *verb, const QUuid &id)
{
    return QByteArray(verb) + ' ' + id.toByteArray(QUuid::WithoutBraces) + '\n';
}

template<typename Entry>
QSet<QUuid> someOf(const QList<Entry> &entries, QRandomGenerator &random, quint32 oneIn)
{
    QSet<QUuid> ids;
    for (const Entry &entry : entries) {
        if (random.bounded(oneIn) == 0)
            ids.insert(entry.id());
    }
    return ids;
}

QString writeSource(const QString &scratch, QRandomGenerator &random, int serial)
{
    const QString path =
        QDir(scratch).filePath(u"source-%1-%2.bin"_s.arg(QCoreApplication::applicationPid()).arg(serial));
    // Unique bytes, so no add is ever turned away as a duplicate.
    QByteArray bytes = QByteArray::number(random.generate64()) + ' ' + path.toUtf8() + '\n';
    bytes.append(QByteArray(int(random.bounded(1, 256 * 1024)), char('a' + serial % 26)));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    if (argc != 4) {
        std::fputs("usage: holdra_stash_stress_child SUPPORT_DIR SCRATCH_DIR SEED\n", stderr);
        return 2;
    }
    const QString support = QString::fromLocal8Bit(argv[1]);
    const QString scratch = QString::fromLocal8Bit(argv[2]);
    QRandomGenerator random(quint32(QByteArray(argv[3]).toUInt()));

    StashStore::Opening opening = StashStore::open(support);
    if (!opening.store) {
        std::fprintf(stderr, "%s\n", qPrintable(opening.errorMessage));
        return 1;
    }
    StashStore &store = *opening.store;
    QDir().mkpath(scratch);
    report("ready\n");

    for (int serial = 0;; ++serial) {
        const quint32 choice = random.bounded(20);
        QByteArray lines;
        if (choice < 7) {
            QList<QUrl> urls;
            const int files = int(random.bounded(1, 4));
            for (int i = 0; i < files; ++i) {
                const QString path = writeSource(scratch, random, serial * 4 + i);
                if (!path.isEmpty())
                    urls.append(QUrl::fromLocalFile(path));
            }
            const StashStore::AddFilesResult result = store.addFiles(urls);
            for (const StashItem &item : result.added)
                lines += line("added", item.id());
            report(lines);
            for (const QUrl &url : urls)
                QFile::remove(url.toLocalFile());
            continue;
        }
        if (choice < 8) {
            lines += line("added", store.addText(u"note %1 of %2"_s.arg(serial).arg(random.generate64())).id());
        } else if (choice < 10) {
            const QByteArray bytes = QByteArray::number(random.generate64()).repeated(int(random.bounded(1, 4096)));
            const std::optional<StashItem> item = choice == 8
                ? store.addImageData(bytes, u"shot %1"_s.arg(serial), u"png"_s).item
                : store.addAudio(bytes, u"voice %1"_s.arg(serial), 1.5);
            if (item)
                lines += line("added", item->id());
        } else if (choice < 12) {
            const QSet<QUuid> ids = someOf(store.items(), random, 3);
            store.remove(ids);
            for (const QUuid &id : ids)
                lines += line("trashed", id);
        } else if (choice < 13) {
            for (const StashItem &item : store.items())
                lines += item.locked() ? QByteArray() : line("trashed", item.id());
            store.removeAll();
        } else if (choice < 15) {
            const TrashRestoreResult result = store.restoreFromTrash(someOf(store.trashItems(), random, 2));
            for (const StashItem &item : result.restored)
                lines += line("restored", item.id());
        } else if (choice < 17) {
            const QSet<QUuid> ids = someOf(store.items(), random, 3);
            store.setLocked(random.bounded(2) == 0, ids);
            for (const QUuid &id : ids)
                lines += line("changed", id);
        } else if (choice < 19) {
            if (store.items().isEmpty())
                continue;
            const QUuid id = store.items().at(qsizetype(random.bounded(quint32(store.items().size())))).id();
            store.setNote(u"note %1"_s.arg(random.generate()), id);
            lines += line("changed", id);
        } else {
            // Expires the whole trash: the list is written, then the copies go.
            QByteArray intent;
            for (const TrashedItem &entry : store.trashItems())
                intent += line("purging", entry.id());
            report(intent);
            store.purgeExpiredTrash(QDateTime::currentDateTimeUtc().addDays(StashStore::defaultTrashRetentionDays + 1));
        }
        report(lines);
    }
}
