#pragma once

#include "Models/ItemSearch.h"

#include <QSortFilterProxyModel>
#include <QtQml/qqmlregistration.h>

#include <array>
#include <optional>
#include <vector>

namespace holdra {

// The stash list as the search shows it: the rows of any list model whose
// "displayName", "note", "text" or "urlString" role contains the query (see
// ItemSearch), in the source's order. Each row's folded key is worked out once
// and kept until that row's data changes, so a keystroke costs one substring
// search per row.
class StashItemFilterModel : public QSortFilterProxyModel
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString query READ query WRITE setQuery NOTIFY queryChanged)
    Q_PROPERTY(int count READ count NOTIFY countChanged)
    Q_PROPERTY(bool isFiltering READ isFiltering NOTIFY queryChanged)

public:
    explicit StashItemFilterModel(QObject *parent = nullptr);

    void setSourceModel(QAbstractItemModel *source) override;

    QString query() const { return m_typed; }
    void setQuery(const QString &typed);
    // A query other than white space is in force.
    bool isFiltering() const { return !m_search.isEmpty(); }
    int count() const { return rowCount(); }

    // The row of an item id (upper-case text), or -1; as the source model's
    // indexOfId() where it has one.
    Q_INVOKABLE int indexOfId(const QString &itemId) const;
    // The source model's allLocked(), which the rows' menus ask the list's model.
    Q_INVOKABLE bool allLocked(const QStringList &itemIds) const;
    // The source rows that are shown, in order.
    QList<int> sourceRows() const;
    // Works out every key now.
    void prepareKeys() const;
    // Works out the keys a slice at a time while the event loop is idle, e.g.
    // from when the search field opens, so that the first keystroke costs no
    // more than the next and opening the field costs no frame. A keystroke
    // before the end works out the rest itself.
    void prepareKeysWhileIdle();
    bool isPreparingKeys() const { return m_nextRowToPrepare >= 0; }

Q_SIGNALS:
    void queryChanged();
    void countChanged();

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    void watchSource(QAbstractItemModel *source);
    void forgetAllKeys();
    void forgetKeys(int first, int last);
    void moveKeys(int first, int last, int destination);
    void announceCount();
    void prepareNextSlice();

    QString m_typed;
    ItemSearch m_search;
    // Name, note, text, link address; -1 for a role the source lacks.
    std::array<int, 4> m_searchRoles{-1, -1, -1, -1};
    int m_idRole = -1;
    struct RowState
    {
        // Worked out when first needed.
        std::optional<QString> key;
        // What the last query that judged this row said.
        bool shown = true;
    };
    RowState &stateOf(int sourceRow) const;

    // One entry per source row.
    mutable std::vector<RowState> m_rows;
    // The query only narrows the last one: a row it hid stays hidden.
    bool m_narrowing = false;
    // The row the idle preparation goes on from; -1 when none is under way.
    int m_nextRowToPrepare = -1;
    int m_announcedCount = 0;
};

} // namespace holdra
