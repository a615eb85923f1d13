#pragma once

#include "Store/StashStore.h"

#include <QObject>
#include <QStringList>
#include <QTextStream>
#include <QUuid>

#include <optional>
#include <utility>

class QIODevice;

namespace holdra::cli {

// The subcommands that act on an opened store. Each takes the arguments after
// its name and returns the exit status: 0 when everything asked for was done,
// 1 when anything failed (each failure written to the error stream), 2 for
// arguments it cannot make sense of. A change the store could not write is
// reported as the failure it is, never with the lines of a success.
class StashCommands
{
public:
    StashCommands(StashStore &store, QTextStream &out, QTextStream &err);
    ~StashCommands();
    StashCommands(const StashCommands &) = delete;
    StashCommands &operator=(const StashCommands &) = delete;

    // `rawArguments` are the same arguments as the bytes that were typed: a path
    // that is not UTF-8 is taken from there.
    int add(const QStringList &arguments, const QString &workingDirectory, QIODevice &input,
            const QList<QByteArray> &rawArguments = {});

    // `add` in two halves, so that the files can be copied elsewhere (off the
    // main thread) between them: the files named, or the status when nothing is
    // left to copy (a text, a usage error, no local file at all).
    struct FilesToAdd
    {
        QList<QUrl> urls;
        int failures = 0;
        std::optional<int> status;
    };
    FilesToAdd prepareAdd(const QStringList &arguments, const QString &workingDirectory, QIODevice &input,
                          const QList<QByteArray> &rawArguments = {});
    // Reports what became of the files: the same lines and status as add().
    int finishAdd(const StashStore::AddFilesResult &result, int failures);
    int list(const QStringList &arguments);
    int show(const QStringList &arguments);
    int path(const QStringList &arguments);
    int remove(const QStringList &arguments);
    int clear(const QStringList &arguments);
    int restore(const QStringList &arguments);
    int setLocked(bool locked, const QStringList &arguments);
    int note(const QStringList &arguments);

private:
    int addText(const QString &text);
    int usage(const QString &message);
    // Resolves every argument against the active list (or the trash); failures
    // are reported and counted, the rest returned in the order given.
    QList<QUuid> resolve(const QStringList &typed, bool inTrash, int &failures);

    // Whether the store refused a change since the last call, which resets it.
    bool takeRefusal() { return std::exchange(m_refused, false); }

    StashStore &m_store;
    QTextStream &m_out;
    QTextStream &m_err;
    QMetaObject::Connection m_refusals;
    bool m_refused = false;
};

} // namespace holdra::cli
