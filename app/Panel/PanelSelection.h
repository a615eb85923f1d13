#pragma once

#include "Models/StashItem.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QUuid>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <optional>

namespace holdra {

// The selected rows of the open panel, the row the keyboard is on (`current`)
// and the row a Shift range starts from (`anchor`). Every change is announced
// with the identifiers whose state changed, so a list of 100,000 rows redraws
// only those rows and a row asks "am I selected?" in constant time.
//
// Operations that need the list's order take the store's items; identifiers
// that are not (or no longer) listed are ignored by them. The row entry points
// for QML (identifiers as upper-case UUID strings) work on the rows the panel
// shows, as the row order given by the controller lists them.
class PanelSelection : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The controller owns the selection.")
    Q_PROPERTY(int count READ count NOTIFY changed)
    // Upper-case identifier of the keyboard's row; empty when there is none.
    Q_PROPERTY(QString currentID READ currentIDText NOTIFY currentChanged)
    // The row the list scrolls to, empty when none; each request bumps the counter.
    Q_PROPERTY(QString scrollTargetItemID READ scrollTargetText NOTIFY scrollTargetChanged)
    Q_PROPERTY(int scrollToTopRequest READ scrollToTopRequest NOTIFY scrollToTopRequested)

public:
    // The rows the panel shows, in list order; none in the trash.
    using RowOrder = std::function<QList<StashItem>()>;

    explicit PanelSelection(QObject *parent = nullptr);
    void setRowOrder(RowOrder order) { m_rowOrder = std::move(order); }

    const QSet<QUuid> &ids() const { return m_ids; }
    int count() const { return int(m_ids.size()); }
    bool contains(const QUuid &id) const { return m_ids.contains(id); }
    std::optional<QUuid> current() const { return m_current; }

    // Replaces the selection; the keyboard's row and the anchor stay.
    void replace(const QSet<QUuid> &ids);
    Q_INVOKABLE void clear() { replace({}); }
    // Nothing selected and no keyboard row, as when the panel opens.
    void reset();
    // A plain click: this row alone, and ranges start from it.
    void select(const QUuid &id);
    // A Ctrl click: the row joins or leaves the selection.
    void toggle(const QUuid &id);
    // A Shift click: every row from the anchor to `id`, in `order`.
    void extendTo(const QList<StashItem> &order, const QUuid &id);
    void selectAll(const QList<StashItem> &order);
    // The arrows and page keys: the keyboard's row moves by `delta` rows (kept
    // within the list) and is selected alone, or, with `extend`, the range from
    // the anchor to it. Without a keyboard row, a move down starts at the top
    // and a move up at the bottom. False for an empty list.
    bool moveBy(const QList<StashItem> &order, int delta, bool extend);
    // Home and End.
    bool moveToEdge(const QList<StashItem> &order, bool toEnd, bool extend);

    // A click on a row; `additive` for Ctrl.
    Q_INVOKABLE void selectRow(const QString &itemID, bool additive);
    // Shift+click: the rows from the last clicked (or keyboard) row to this one.
    Q_INVOKABLE void selectRange(const QString &itemID);
    Q_INVOKABLE void selectAll();
    Q_INVOKABLE bool isSelected(const QString &itemID) const;
    // The shown rows that are selected, in list order.
    QList<StashItem> selectedItems() const;
    // The row's item, or the whole selection when the row belongs to one of two or more.
    QList<StashItem> effectiveItems(const StashItem &item) const;
    Q_INVOKABLE QStringList effectiveItems(const QString &itemID) const;
    // Upper-case identifiers, sorted: for tests and scripts, never for rows.
    QStringList idTexts() const;

    std::optional<QUuid> scrollTargetItemID() const { return m_scrollTarget; }
    int scrollToTopRequest() const { return m_scrollToTopRequest; }
    void setScrollTarget(const std::optional<QUuid> &id);
    void requestScrollToTop();
    // Selects `items` (e.g. the duplicates an import found) and scrolls the
    // first of them in `order` into view, with those below it.
    void highlight(const QList<StashItem> &order, const QList<StashItem> &items);

Q_SIGNALS:
    // `added` and `removed` hold exactly the identifiers whose state changed.
    void changed(const QList<QUuid> &added, const QList<QUuid> &removed);
    void currentChanged();
    void scrollTargetChanged();
    void scrollToTopRequested();

private:
    QString currentIDText() const;
    QString scrollTargetText() const;
    QList<StashItem> rows() const { return m_rowOrder ? m_rowOrder() : QList<StashItem>(); }
    void setCurrent(const std::optional<QUuid> &id);
    void moveTo(const QList<StashItem> &order, qsizetype row, bool extend);
    static qsizetype rowOf(const QList<StashItem> &order, const std::optional<QUuid> &id);

    QSet<QUuid> m_ids;
    std::optional<QUuid> m_current;
    std::optional<QUuid> m_anchor;
    RowOrder m_rowOrder;
    std::optional<QUuid> m_scrollTarget;
    int m_scrollToTopRequest = 0;
};

} // namespace holdra
