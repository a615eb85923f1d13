#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QSet>
#include <QUuid>

#include <algorithm>
#include <optional>

namespace holdra {

// A list model whose rows carry a unique key. The store publishes whole lists,
// so replaceRows() works out what changed and reports it as removals, moves,
// insertions and data changes: views keep their delegates, scroll position and
// state, and a change to one row of a long list costs no reset.
//
// Row needs `QUuid key() const` and `operator==` for "shows the same".
//
// Most changes touch one place of a long list (an item added on top, one
// removed): those are found by walking in from both ends, and row keys are
// hashed by position only when rows really moved.
template<typename Row>
class KeyedListModel : public QAbstractListModel
{
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : int(m_rows.size()); }

    // The row showing `key`, or -1.
    int rowOf(const QUuid &key) const
    {
        const auto found = positions().constFind(key);
        return found == positions().constEnd() ? -1 : *found;
    }

protected:
    // Works out the rows from the source followed; replaceRows() with the result.
    virtual void synchronize() = 0;

    // Follows `source` in place of `followed`: each `changed` signal, and the
    // source's end, synchronise the rows. False when it was followed already.
    template<typename Source, typename Signal>
    bool follow(QPointer<Source> &followed, Source *source, Signal changed)
    {
        if (followed == source)
            return false;
        if (followed)
            QObject::disconnect(followed, nullptr, this, nullptr);
        followed = source;
        if (source) {
            QObject::connect(source, changed, this, [this] { synchronize(); });
            QObject::connect(source, &QObject::destroyed, this, [this] { synchronize(); });
        }
        synchronize();
        return true;
    }

    const QList<Row> &rows() const { return m_rows; }
    const Row *rowWithKey(const QUuid &key) const
    {
        const int row = rowOf(key);
        return row < 0 ? nullptr : &m_rows[row];
    }
    // The same, for keys asked in the order of a new list: looks a few rows on
    // from `next` (the row after the last one found, updated) before hashing
    // the positions, and a key that is not listed costs no positions at all.
    const Row *rowWithKey(const QUuid &key, int &next) const
    {
        constexpr int lookAhead = 8;
        for (int i = next; i < std::min<qsizetype>(next + lookAhead, m_rows.size()); ++i) {
            if (m_rows[i].key() == key) {
                next = i + 1;
                return &m_rows[i];
            }
        }
        const int row = m_keys.contains(key) ? rowOf(key) : -1;
        if (row < 0)
            return nullptr;
        next = row + 1;
        return &m_rows[row];
    }

    void replaceRows(const QList<Row> &target)
    {
        if (!replaceOneRun(target)) {
            removeRowsMissingFrom(target);
            moveRowsIntoOrderOf(target);
            insertRowsNewIn(target);
        }
        updateChangedRows(target);
        m_positions.reset();
    }

private:
    // Rows inserted or removed in one run, the rest in place: reported as such.
    // False, with nothing changed, when the change is anything else.
    bool replaceOneRun(const QList<Row> &target)
    {
        const qsizetype oldSize = m_rows.size();
        const qsizetype newSize = target.size();
        const qsizetype common = std::min(oldSize, newSize);
        qsizetype head = 0;
        while (head < common && m_rows[head].key() == target[head].key())
            ++head;
        qsizetype tail = 0;
        while (tail < common - head && m_rows[oldSize - 1 - tail].key() == target[newSize - 1 - tail].key())
            ++tail;
        if (head + tail == oldSize && newSize > oldSize) {
            beginInsertRows({}, int(head), int(newSize - tail - 1));
            for (qsizetype i = head; i < newSize - tail; ++i) {
                m_rows.insert(i, target[i]);
                m_keys.insert(target[i].key());
            }
            endInsertRows();
            return true;
        }
        if (head + tail == newSize && oldSize > newSize) {
            beginRemoveRows({}, int(head), int(oldSize - tail - 1));
            for (qsizetype i = head; i < oldSize - tail; ++i)
                m_keys.remove(m_rows[i].key());
            m_rows.remove(head, oldSize - tail - head);
            endRemoveRows();
            return true;
        }
        return head + tail == oldSize && oldSize == newSize;
    }

    const QHash<QUuid, int> &positions() const
    {
        if (!m_positions) {
            QHash<QUuid, int> positions;
            positions.reserve(m_rows.size());
            for (int i = 0; i < m_rows.size(); ++i)
                positions.insert(m_rows[i].key(), i);
            m_positions = std::move(positions);
        }
        return *m_positions;
    }

    int indexOfKey(const QUuid &key) const
    {
        for (int i = 0; i < m_rows.size(); ++i) {
            if (m_rows[i].key() == key)
                return i;
        }
        return -1;
    }

    void removeRowsMissingFrom(const QList<Row> &target)
    {
        QSet<QUuid> kept;
        kept.reserve(target.size());
        for (const Row &row : target)
            kept.insert(row.key());
        // From the end, so that earlier row numbers stay valid; runs go in one signal.
        int last = int(m_rows.size()) - 1;
        while (last >= 0) {
            if (kept.contains(m_rows[last].key())) {
                --last;
                continue;
            }
            int first = last;
            while (first > 0 && !kept.contains(m_rows[first - 1].key()))
                --first;
            beginRemoveRows({}, first, last);
            for (int i = first; i <= last; ++i)
                m_keys.remove(m_rows[i].key());
            m_rows.remove(first, last - first + 1);
            endRemoveRows();
            last = first - 1;
        }
        m_positions.reset();
    }

    // Keeps the longest run of rows that are already in the target's order and
    // moves only the others, each right behind the row that precedes it there.
    void moveRowsIntoOrderOf(const QList<Row> &target)
    {
        const QHash<QUuid, int> &current = positions();
        QList<QUuid> order; // target order, rows that exist already
        QList<int> oldIndex;
        order.reserve(m_rows.size());
        oldIndex.reserve(m_rows.size());
        for (const Row &row : target) {
            const auto found = current.constFind(row.key());
            if (found != current.constEnd()) {
                order.append(row.key());
                oldIndex.append(*found);
            }
        }
        const QSet<QUuid> stable = longestIncreasingRun(order, oldIndex);
        m_positions.reset();
        if (stable.size() == order.size())
            return;

        for (int i = 0; i < order.size(); ++i) {
            if (stable.contains(order[i]))
                continue;
            const int from = indexOfKey(order[i]);
            const int after = i == 0 ? -1 : indexOfKey(order[i - 1]);
            const int destination = after + 1; // in the numbering before the move
            if (destination == from || destination == from + 1)
                continue;
            beginMoveRows({}, from, from, {}, destination);
            m_rows.move(from, from < destination ? destination - 1 : destination);
            endMoveRows();
        }
    }

    static QSet<QUuid> longestIncreasingRun(const QList<QUuid> &keys, const QList<int> &values)
    {
        // Patience sorting: tails[k] is the index (into values) ending the best run of length k + 1.
        QList<int> tails;
        QList<int> previous(values.size(), -1);
        for (int i = 0; i < values.size(); ++i) {
            const auto place = std::lower_bound(tails.begin(), tails.end(), values[i],
                                                [&](int index, int value) { return values[index] < value; });
            const int length = int(place - tails.begin());
            previous[i] = length > 0 ? tails[length - 1] : -1;
            if (place == tails.end())
                tails.append(i);
            else
                *place = i;
        }
        QSet<QUuid> run;
        for (int i = tails.isEmpty() ? -1 : tails.last(); i >= 0; i = previous[i])
            run.insert(keys[i]);
        return run;
    }

    void insertRowsNewIn(const QList<Row> &target)
    {
        if (m_rows.size() == target.size())
            return;
        const QHash<QUuid, int> &current = positions();
        QList<bool> isNew(target.size());
        for (int i = 0; i < target.size(); ++i)
            isNew[i] = !current.contains(target[i].key());
        m_positions.reset();
        for (int i = 0; i < target.size(); ++i) {
            if (!isNew[i])
                continue;
            int end = i;
            while (end < target.size() && isNew[end])
                ++end;
            beginInsertRows({}, i, end - 1);
            for (int j = i; j < end; ++j) {
                m_rows.insert(j, target[j]);
                m_keys.insert(target[j].key());
            }
            endInsertRows();
            i = end - 1;
        }
    }

    void updateChangedRows(const QList<Row> &target)
    {
        for (int i = 0; i < target.size(); ++i) {
            if (m_rows[i] == target[i])
                continue;
            int end = i;
            while (end < target.size() && !(m_rows[end] == target[end])) {
                m_rows[end] = target[end];
                ++end;
            }
            Q_EMIT dataChanged(index(i), index(end - 1));
            i = end - 1;
        }
    }

    QList<Row> m_rows;
    // The keys of m_rows: stays right through moves, unlike positions.
    QSet<QUuid> m_keys;
    mutable std::optional<QHash<QUuid, int>> m_positions;
};

} // namespace holdra
