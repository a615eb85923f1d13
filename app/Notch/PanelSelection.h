#pragma once

#include "Models/StashItem.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QUuid>
#include <QtQml/qqmlregistration.h>

#include <optional>

namespace holdra {

// The selected rows of the open panel, the row the keyboard is on (`current`)
// and the row a Shift range starts from (`anchor`). Every change is announced
// with the identifiers whose state changed, so a list of 100,000 rows redraws
// only those rows and a row asks "am I selected?" in constant time.
//
// Operations that need the list's order take the store's items; identifiers
// that are not (or no longer) listed are ignored by them.
class PanelSelection : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The controller owns the selection.")
    Q_PROPERTY(int count READ count NOTIFY changed)
    // Upper-case identifier of the keyboard's row; empty when there is none.
    Q_PROPERTY(QString currentID READ currentIDText NOTIFY currentChanged)

public:
    explicit PanelSelection(QObject *parent = nullptr);

    const QSet<QUuid> &ids() const { return m_ids; }
    int count() const { return int(m_ids.size()); }
    bool contains(const QUuid &id) const { return m_ids.contains(id); }
    std::optional<QUuid> current() const { return m_current; }

    // Replaces the selection; the keyboard's row and the anchor stay.
    void replace(const QSet<QUuid> &ids);
    void clear() { replace({}); }
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

Q_SIGNALS:
    // `added` and `removed` hold exactly the identifiers whose state changed.
    void changed(const QList<QUuid> &added, const QList<QUuid> &removed);
    void currentChanged();

private:
    QString currentIDText() const;
    void setCurrent(const std::optional<QUuid> &id);
    void moveTo(const QList<StashItem> &order, qsizetype row, bool extend);
    static qsizetype rowOf(const QList<StashItem> &order, const std::optional<QUuid> &id);

    QSet<QUuid> m_ids;
    std::optional<QUuid> m_current;
    std::optional<QUuid> m_anchor;
};

} // namespace holdra
