#pragma once

#include <QString>
#include <QStringMatcher>
#include <QStringView>

namespace holdra {

class StashItem;

// What the user looks for among the stashed items: a row matches when its
// name, note, text or link address contains the typed text, ignoring case and
// width (full-width Latin letters and digits, compatibility ideographs and the
// like count as their plain forms). The panel's filter and `holdra list
// --search` both match through this one type, so they never disagree.
//
// An item's key (all its searchable fields, folded) is worth computing once
// and keeping: matching a key is a plain substring search.
class ItemSearch
{
public:
    // Surrounding white space is not part of the query; an empty query matches everything.
    explicit ItemSearch(const QString &typed = QString());

    bool isEmpty() const { return m_needle.isEmpty(); }
    // The folded query.
    const QString &needle() const { return m_needle; }

    bool matches(QStringView key) const;
    bool matches(const StashItem &item) const;
    // Every item this query matches is matched by `broader` too: typing on
    // at the end (or in the middle) of a query only narrows it.
    bool narrows(const ItemSearch &broader) const;

    // Case- and width-insensitive form of `text`.
    static QString folded(QStringView text);
    static QString key(const StashItem &item);
    static QString key(const QString &name, const QString &note, const QString &text, const QString &url);

private:
    QString m_needle;
    // For queries of three characters and more, which skip along a key in strides.
    QStringMatcher m_matcher;
};

} // namespace holdra
