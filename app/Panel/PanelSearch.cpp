#include "Panel/PanelSearch.h"

#include "Panel/PanelSelection.h"
#include "Store/StashStore.h"

#include <QSet>

namespace holdra {

PanelSearch::PanelSearch(const StashStore &store, PanelSelection &selection, QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_selection(selection)
    , m_results(new StashItemFilterModel(this))
{
    connect(m_results, &StashItemFilterModel::queryChanged, this, &PanelSearch::queryChanged);
}

void PanelSearch::setQuery(const QString &query)
{
    if (query == m_results->query())
        return;
    m_results->setQuery(query);
    dropHiddenFromSelection();
}

void PanelSearch::begin()
{
    m_results->prepareKeysWhileIdle();
    if (!m_isActive) {
        m_isActive = true;
        Q_EMIT isActiveChanged();
    }
    Q_EMIT focusRequested();
}

bool PanelSearch::dismiss()
{
    if (!m_isActive && m_results->query().isEmpty())
        return false;
    setQuery(QString());
    if (m_isActive) {
        m_isActive = false;
        Q_EMIT isActiveChanged();
    }
    Q_EMIT dismissed();
    return true;
}

QList<StashItem> PanelSearch::visibleItems(const QList<StashItem> &order) const
{
    if (!m_results->isFiltering())
        return order;
    QList<StashItem> shown;
    // The list model mirrors the store's order; without a view, or while it
    // catches up, the items are matched one by one.
    const QAbstractItemModel *source = m_results->sourceModel();
    if (source && source->rowCount() == order.size()) {
        const QList<int> rows = m_results->sourceRows();
        shown.reserve(rows.size());
        for (int row : rows)
            shown.append(order[row]);
        return shown;
    }
    const ItemSearch search(m_results->query());
    for (const StashItem &item : order) {
        if (search.matches(item))
            shown.append(item);
    }
    return shown;
}

void PanelSearch::dropHiddenFromSelection()
{
    if (m_selection.count() == 0 || !m_results->isFiltering())
        return;
    QSet<QUuid> kept;
    for (const StashItem &item : visibleItems(m_store.items())) {
        if (m_selection.contains(item.id()))
            kept.insert(item.id());
    }
    m_selection.replace(kept);
}

} // namespace holdra
