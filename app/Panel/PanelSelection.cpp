#include "Panel/PanelSelection.h"

#include "Panel/StashItemPresentation.h"

#include <algorithm>

namespace holdra {

PanelSelection::PanelSelection(QObject *parent)
    : QObject(parent)
{
}

namespace {

using StashItemPresentation::idFromText;
using StashItemPresentation::idText;

} // namespace

QString PanelSelection::currentIDText() const
{
    return m_current ? idText(*m_current) : QString();
}

QString PanelSelection::scrollTargetText() const
{
    return m_scrollTarget ? idText(*m_scrollTarget) : QString();
}

void PanelSelection::setCurrent(const std::optional<QUuid> &id)
{
    if (m_current == id)
        return;
    m_current = id;
    Q_EMIT currentChanged();
}

void PanelSelection::replace(const QSet<QUuid> &ids)
{
    QList<QUuid> added;
    QList<QUuid> removed;
    for (const QUuid &id : ids) {
        if (!m_ids.contains(id))
            added.append(id);
    }
    for (const QUuid &id : std::as_const(m_ids)) {
        if (!ids.contains(id))
            removed.append(id);
    }
    if (added.isEmpty() && removed.isEmpty())
        return;
    m_ids = ids;
    Q_EMIT changed(added, removed);
}

void PanelSelection::reset()
{
    m_anchor.reset();
    setCurrent(std::nullopt);
    clear();
}

void PanelSelection::select(const QUuid &id)
{
    m_anchor = id;
    setCurrent(id);
    replace({id});
}

void PanelSelection::toggle(const QUuid &id)
{
    m_anchor = id;
    setCurrent(id);
    if (m_ids.remove(id)) {
        Q_EMIT changed({}, {id});
    } else {
        m_ids.insert(id);
        Q_EMIT changed({id}, {});
    }
}

qsizetype PanelSelection::rowOf(const QList<StashItem> &order, const std::optional<QUuid> &id)
{
    if (!id)
        return -1;
    const auto found =
        std::find_if(order.cbegin(), order.cend(), [&](const StashItem &item) { return item.id() == *id; });
    return found == order.cend() ? -1 : found - order.cbegin();
}

void PanelSelection::extendTo(const QList<StashItem> &order, const QUuid &id)
{
    const qsizetype row = rowOf(order, id);
    if (row < 0)
        return;
    moveTo(order, row, true);
}

void PanelSelection::selectAll(const QList<StashItem> &order)
{
    QSet<QUuid> all;
    all.reserve(order.size());
    for (const StashItem &item : order)
        all.insert(item.id());
    replace(all);
}

void PanelSelection::moveTo(const QList<StashItem> &order, qsizetype row, bool extend)
{
    const QUuid target = order[row].id();
    qsizetype anchorRow = extend ? rowOf(order, m_anchor) : -1;
    if (anchorRow < 0) {
        // A range with no anchor left in the list starts where the keyboard was.
        anchorRow = extend ? std::max<qsizetype>(rowOf(order, m_current), 0) : row;
        m_anchor = order[anchorRow].id();
    }
    setCurrent(target);
    if (!extend) {
        m_anchor = target;
        replace({target});
        return;
    }
    const auto [first, last] = std::minmax(anchorRow, row);
    QSet<QUuid> range;
    range.reserve(last - first + 1);
    for (qsizetype i = first; i <= last; ++i)
        range.insert(order[i].id());
    replace(range);
}

bool PanelSelection::moveBy(const QList<StashItem> &order, int delta, bool extend)
{
    if (order.isEmpty())
        return false;
    const qsizetype from = rowOf(order, m_current);
    qsizetype row;
    if (from < 0)
        row = delta > 0 ? 0 : order.size() - 1;
    else
        row = std::clamp<qsizetype>(from + delta, 0, order.size() - 1);
    moveTo(order, row, extend);
    return true;
}

bool PanelSelection::moveToEdge(const QList<StashItem> &order, bool toEnd, bool extend)
{
    if (order.isEmpty())
        return false;
    moveTo(order, toEnd ? order.size() - 1 : 0, extend);
    return true;
}

void PanelSelection::selectRow(const QString &itemID, bool additive)
{
    const QUuid id = idFromText(itemID);
    if (id.isNull())
        return;
    if (additive)
        toggle(id);
    else
        select(id);
}

void PanelSelection::selectRange(const QString &itemID)
{
    if (const QUuid id = idFromText(itemID); !id.isNull())
        extendTo(rows(), id);
}

void PanelSelection::selectAll()
{
    selectAll(rows());
}

bool PanelSelection::isSelected(const QString &itemID) const
{
    const QUuid id = idFromText(itemID);
    return !id.isNull() && contains(id);
}

QList<StashItem> PanelSelection::selectedItems() const
{
    QList<StashItem> items;
    for (const StashItem &item : rows()) {
        if (contains(item.id()))
            items.append(item);
    }
    return items;
}

QList<StashItem> PanelSelection::effectiveItems(const StashItem &item) const
{
    if (contains(item.id()) && count() >= 2)
        return selectedItems();
    return {item};
}

QStringList PanelSelection::effectiveItems(const QString &itemID) const
{
    const QUuid id = idFromText(itemID);
    const QList<StashItem> shown = rows();
    const auto found =
        std::find_if(shown.cbegin(), shown.cend(), [&](const StashItem &item) { return item.id() == id; });
    if (found == shown.cend())
        return {};
    QStringList ids;
    for (const StashItem &effective : effectiveItems(*found))
        ids.append(idText(effective.id()));
    return ids;
}

QStringList PanelSelection::idTexts() const
{
    QStringList texts;
    texts.reserve(m_ids.size());
    for (const QUuid &id : m_ids)
        texts.append(idText(id));
    texts.sort();
    return texts;
}

void PanelSelection::setScrollTarget(const std::optional<QUuid> &id)
{
    if (m_scrollTarget == id)
        return;
    m_scrollTarget = id;
    Q_EMIT scrollTargetChanged();
}

void PanelSelection::requestScrollToTop()
{
    ++m_scrollToTopRequest;
    Q_EMIT scrollToTopRequested();
}

void PanelSelection::highlight(const QList<StashItem> &order, const QList<StashItem> &items)
{
    const QSet<QUuid> ids = StashItem::ids(items);
    replace(ids);
    const auto topmost =
        std::find_if(order.cbegin(), order.cend(), [&](const StashItem &item) { return ids.contains(item.id()); });
    setScrollTarget(topmost == order.cend() ? std::nullopt : std::optional<QUuid>(topmost->id()));
    requestScrollToTop();
}

} // namespace holdra
