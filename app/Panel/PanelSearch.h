#pragma once

#include "Models/StashItem.h"
#include "Panel/StashItemFilterModel.h"

#include <QList>
#include <QObject>
#include <QtQml/qqmlregistration.h>

namespace holdra {

class PanelSelection;
class StashStore;

// The open panel's search: whether the field is shown, what it holds, and the
// stash list as it filters it (`results`, layered on whichever list model the
// panel shows). Selecting, ranges and the keyboard walk the rows it shows, and
// a new query drops hidden rows from the selection, so that copying, trashing
// and dragging never reach rows the user cannot see.
class PanelSearch : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The controller owns the search.")
    Q_PROPERTY(bool isActive READ isActive NOTIFY isActiveChanged)
    Q_PROPERTY(QString query READ query WRITE setQuery NOTIFY queryChanged)
    Q_PROPERTY(holdra::StashItemFilterModel *results READ results CONSTANT)

public:
    // `store` and `selection` must outlive the search.
    PanelSearch(const StashStore &store, PanelSelection &selection, QObject *parent = nullptr);

    bool isActive() const { return m_isActive; }
    QString query() const { return m_results->query(); }
    void setQuery(const QString &query);
    StashItemFilterModel *results() const { return m_results; }

    // Ctrl+F and the header's button: the field shows and takes the keys.
    Q_INVOKABLE void begin();
    // Escape: the query and the field go; false when there was neither.
    Q_INVOKABLE bool dismiss();
    // The items of `order` that are shown, in order.
    QList<StashItem> visibleItems(const QList<StashItem> &order) const;

Q_SIGNALS:
    void isActiveChanged();
    void queryChanged();
    // The field should take the keyboard focus.
    void focusRequested();
    // The field went; the panel takes the keys back.
    void dismissed();

private:
    void dropHiddenFromSelection();

    const StashStore &m_store;
    PanelSelection &m_selection;
    StashItemFilterModel *m_results;
    bool m_isActive = false;
};

} // namespace holdra
