#pragma once

#include <QHash>
#include <QString>

#include <optional>

namespace holdra {

// What the stored .txt copies hold, remembered between runs, so that loading
// a large stash compares its texts with the copies without reading each copy
// again. A copy is known by its relative path and recognised by its size,
// inode and status-change time, which every write, replacement or touch moves
// and nobody can set back; any change to it makes it be read afresh. The
// memo is a cache in the user's private runtime directory: losing it, or a
// damaged one, only means reading the copies once more.
class TextCopyMemo
{
public:
    // Loads what `memoPath` remembers; an empty path remembers nothing. The
    // copies lie below `copiesDirectory`, when given.
    explicit TextCopyMemo(QString memoPath, const QString &copiesDirectory = QString());
    ~TextCopyMemo();
    TextCopyMemo(const TextCopyMemo &) = delete;
    TextCopyMemo &operator=(const TextCopyMemo &) = delete;

    // The memo of the stash in `supportDirectory`, in Holdra's private runtime
    // directory (made if missing); empty when there is none to be had.
    static QString defaultPath(const QString &supportDirectory);

    struct Copy
    {
        // -1 when the copy cannot be looked at.
        qint64 size = -1;
        qint64 changedNs = 0;
        quint64 inode = 0;
        // Whether its change time lay in an earlier tick of the clock than the
        // look: only then does any later change move it, and only then is what
        // was read worth remembering.
        bool settled = false;
    };
    // Looks at the copy at `path` (one stat; nothing is read), or at
    // `relativePath` below the copies' directory.
    static Copy look(const QString &path);
    Copy lookBelow(const QString &relativePath) const;

    // The normalised text remembered for `relativePath` while `copy` is as it
    // was then: an empty optional inside when the copy did not decode. Nothing
    // when it has to be read.
    std::optional<std::optional<QString>> recalled(const QString &relativePath, const Copy &copy);
    void remember(const QString &relativePath, const Copy &copy, const std::optional<QString> &text);

    // Writes the copies recalled or remembered since loading, when anything
    // changed; copies no longer asked about are forgotten. Failure is ignored.
    void save();

private:
    struct Entry
    {
        Copy copy;
        std::optional<QString> text;
    };

    QString m_path;
    // Open, so that a look walks the relative path alone.
    int m_copiesFd = -1;
    QHash<QString, Entry> m_loaded;
    QHash<QString, Entry> m_used;
    bool m_changed = false;
};

} // namespace holdra
