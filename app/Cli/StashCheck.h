#pragma once

#include <QString>
#include <QStringList>
#include <QUuid>

namespace holdra::cli {

// A read-only look at a support directory: what the lists promise and what is
// really on disk. It never loads a store, since loading repairs and saves.
class StashCheck
{
public:
    struct ItemProblem
    {
        QUuid id;
        QString displayName;
        bool inTrash = false;
    };

    struct Report
    {
        // A list file that exists but cannot be read, with the reason.
        QStringList unreadableLists;
        QList<ItemProblem> missingCopies;
        QList<ItemProblem> changedCopies;
        // Item directories under "Files" that neither list mentions.
        QStringList unreferencedDirectories;

        bool isClean() const
        {
            return unreadableLists.isEmpty() && missingCopies.isEmpty() && changedCopies.isEmpty()
                && unreferencedDirectories.isEmpty();
        }
    };

    static Report run(const QString &supportDirectory);
    static QByteArray toJson(const Report &report);
    static QStringList toLines(const Report &report);
};

} // namespace holdra::cli
