#include "Panel/StashItemFilterModel.h"

#include <QMetaObject>
#include <QTimer>

#include <algorithm>

namespace holdra {

namespace {

int roleNamed(const QAbstractItemModel &model, const QByteArray &name)
{
    const QHash<int, QByteArray> roles = model.roleNames();
    for (auto it = roles.cbegin(); it != roles.cend(); ++it) {
        if (it.value() == name)
            return it.key();
    }
    return -1;
}

} // namespace

StashItemFilterModel::StashItemFilterModel(QObject *parent)
    : QSortFilterProxyModel(parent)
{
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(this, signal, this, &StashItemFilterModel::announceCount);
    connect(this, &QAbstractItemModel::modelReset, this, &StashItemFilterModel::announceCount);
    connect(this, &QAbstractItemModel::layoutChanged, this, &StashItemFilterModel::announceCount);
}

void StashItemFilterModel::setSourceModel(QAbstractItemModel *source)
{
    if (source == sourceModel())
        return;
    if (sourceModel())
        disconnect(sourceModel(), nullptr, this, nullptr);
    m_searchRoles.fill(-1);
    m_idRole = -1;
    if (source) {
        const QByteArray names[] = {"displayName", "note", "text", "urlString"};
        for (size_t i = 0; i < m_searchRoles.size(); ++i)
            m_searchRoles[i] = roleNamed(*source, names[i]);
        m_idRole = roleNamed(*source, "itemId");
        // Before the base class connects its own: the keys must follow a change
        // before it filters the changed rows.
        watchSource(source);
    }
    m_rows.assign(source ? size_t(source->rowCount()) : 0, RowState());
    QSortFilterProxyModel::setSourceModel(source);
    announceCount();
}

void StashItemFilterModel::watchSource(QAbstractItemModel *source)
{
    connect(source, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex &parent, int first, int last) {
        if (!parent.isValid() && size_t(first) <= m_rows.size())
            m_rows.insert(m_rows.begin() + first, size_t(last - first + 1), RowState());
        else
            forgetAllKeys();
    });
    connect(source, &QAbstractItemModel::rowsRemoved, this, [this](const QModelIndex &parent, int first, int last) {
        if (!parent.isValid() && size_t(last) < m_rows.size())
            m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
        else
            forgetAllKeys();
    });
    connect(source, &QAbstractItemModel::rowsMoved, this,
            [this](const QModelIndex &, int first, int last, const QModelIndex &, int destination) {
                moveKeys(first, last, destination);
            });
    connect(source, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles) {
                const bool searched =
                    roles.isEmpty() || std::any_of(roles.cbegin(), roles.cend(), [this](int role) {
                        return std::find(m_searchRoles.cbegin(), m_searchRoles.cend(), role) != m_searchRoles.cend();
                    });
                if (searched)
                    forgetKeys(topLeft.row(), bottomRight.row());
            });
    connect(source, &QAbstractItemModel::modelReset, this, &StashItemFilterModel::forgetAllKeys);
    // A panel's model goes with its view; its keys go with it.
    connect(source, &QObject::destroyed, this, [this] { m_rows = {}; });
    connect(source, &QAbstractItemModel::layoutChanged, this, &StashItemFilterModel::forgetAllKeys);
}

void StashItemFilterModel::forgetAllKeys()
{
    m_rows.assign(sourceModel() ? size_t(sourceModel()->rowCount()) : 0, RowState());
}

void StashItemFilterModel::forgetKeys(int first, int last)
{
    for (int row = std::max(first, 0); row <= last && size_t(row) < m_rows.size(); ++row)
        m_rows[size_t(row)] = RowState();
}

void StashItemFilterModel::moveKeys(int first, int last, int destination)
{
    if (first < 0 || size_t(last) >= m_rows.size() || size_t(destination) > m_rows.size()) {
        forgetAllKeys();
        return;
    }
    // `destination` is counted before the move, as the signal gives it.
    const auto begin = m_rows.begin();
    if (destination < first)
        std::rotate(begin + destination, begin + first, begin + last + 1);
    else if (destination > last + 1)
        std::rotate(begin + first, begin + last + 1, begin + destination);
}

StashItemFilterModel::RowState &StashItemFilterModel::stateOf(int sourceRow) const
{
    const QAbstractItemModel *source = sourceModel();
    if (m_rows.size() != size_t(source->rowCount()))
        m_rows.assign(size_t(source->rowCount()), RowState());
    RowState &state = m_rows[size_t(sourceRow)];
    if (!state.key) {
        const QModelIndex index = source->index(sourceRow, 0);
        QString fields[4];
        for (size_t i = 0; i < m_searchRoles.size(); ++i) {
            if (m_searchRoles[i] >= 0)
                fields[i] = source->data(index, m_searchRoles[i]).toString();
        }
        state.key = ItemSearch::key(fields[0], fields[1], fields[2], fields[3]);
    }
    return state;
}

void StashItemFilterModel::prepareKeys() const
{
    if (!sourceModel())
        return;
    for (int row = 0, rows = sourceModel()->rowCount(); row < rows; ++row)
        stateOf(row);
}

void StashItemFilterModel::prepareKeysWhileIdle()
{
    if (m_nextRowToPrepare >= 0)
        return;
    m_nextRowToPrepare = 0;
    QTimer::singleShot(0, this, &StashItemFilterModel::prepareNextSlice);
}

void StashItemFilterModel::prepareNextSlice()
{
    // About 5 ms of work on a slow machine.
    constexpr int sliceRows = 4000;
    const int rows = sourceModel() ? sourceModel()->rowCount() : 0;
    const int end = std::min(rows, m_nextRowToPrepare + sliceRows);
    for (int row = m_nextRowToPrepare; row < end; ++row)
        stateOf(row);
    // Rows that came or went meanwhile are worked out when first needed.
    m_nextRowToPrepare = end < rows ? end : -1;
    if (m_nextRowToPrepare >= 0)
        QTimer::singleShot(0, this, &StashItemFilterModel::prepareNextSlice);
}

bool StashItemFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    if (m_search.isEmpty() || sourceParent.isValid())
        return true;
    RowState &state = stateOf(sourceRow);
    if (m_narrowing && !state.shown)
        return false;
    state.shown = m_search.matches(*state.key);
    return state.shown;
}

void StashItemFilterModel::setQuery(const QString &typed)
{
    if (typed == m_typed)
        return;
    m_typed = typed;
    ItemSearch next(typed);
    if (next.needle() != m_search.needle()) {
        // After an empty query no row was judged.
        m_narrowing = !m_search.isEmpty() && next.narrows(m_search);
        m_search = std::move(next);
        // One layout change rather than a removal per run of hidden rows: a view
        // of 100,000 rows rebuilds only what it shows.
        invalidate();
    }
    Q_EMIT queryChanged();
}

int StashItemFilterModel::indexOfId(const QString &itemId) const
{
    QAbstractItemModel *source = sourceModel();
    if (!source)
        return -1;
    int sourceRow = -1;
    if (source->metaObject()->indexOfMethod("indexOfId(QString)") >= 0) {
        QMetaObject::invokeMethod(source, "indexOfId", Qt::DirectConnection, Q_RETURN_ARG(int, sourceRow),
                                  Q_ARG(QString, itemId));
        return sourceRow < 0 ? -1 : mapFromSource(source->index(sourceRow, 0)).row();
    }
    for (int row = 0; m_idRole >= 0 && row < rowCount(); ++row) {
        if (index(row, 0).data(m_idRole).toString().compare(itemId, Qt::CaseInsensitive) == 0)
            return row;
    }
    return -1;
}

bool StashItemFilterModel::allLocked(const QStringList &itemIds) const
{
    bool locked = false;
    if (QAbstractItemModel *source = sourceModel();
        source && source->metaObject()->indexOfMethod("allLocked(QStringList)") >= 0) {
        QMetaObject::invokeMethod(source, "allLocked", Qt::DirectConnection, Q_RETURN_ARG(bool, locked),
                                  Q_ARG(QStringList, itemIds));
    }
    return locked;
}

QList<int> StashItemFilterModel::sourceRows() const
{
    QList<int> rows;
    const int count = rowCount();
    rows.reserve(count);
    for (int row = 0; row < count; ++row)
        rows.append(mapToSource(index(row, 0)).row());
    return rows;
}

void StashItemFilterModel::announceCount()
{
    const int now = rowCount();
    if (now == m_announcedCount)
        return;
    m_announcedCount = now;
    Q_EMIT countChanged();
}

} // namespace holdra
