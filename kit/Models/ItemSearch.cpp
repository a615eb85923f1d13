#include "Models/ItemSearch.h"

#include "Models/StashItem.h"

namespace holdra {

namespace {

// Separates the fields of a key, so that a query never matches across two of
// them; folded() removes it from every text, queries included.
constexpr QChar fieldSeparator(u'\0');

} // namespace

ItemSearch::ItemSearch(const QString &typed)
    : m_needle(folded(QStringView(typed).trimmed()))
{
    // Folding can bring white space in (an ideographic space becomes a plain one).
    m_needle = m_needle.trimmed();
    if (m_needle.size() >= 3)
        m_matcher.setPattern(m_needle);
}

bool ItemSearch::matches(QStringView key) const
{
    if (m_needle.isEmpty())
        return true;
    if (m_needle.size() >= 3)
        return m_matcher.indexIn(key) >= 0;
    // One or two characters (two Chinese ones are a typical query) give a
    // skip-table search no stride: a vectorised scan for the first character,
    // then a comparison, is faster.
    const QChar first = m_needle.front();
    const QStringView rest = QStringView(m_needle).sliced(1);
    const qsizetype lastStart = key.size() - m_needle.size();
    for (qsizetype at = key.indexOf(first); at >= 0 && at <= lastStart; at = key.indexOf(first, at + 1)) {
        if (key.sliced(at + 1, rest.size()) == rest)
            return true;
    }
    return false;
}

bool ItemSearch::matches(const StashItem &item) const
{
    return m_needle.isEmpty() || matches(key(item));
}

bool ItemSearch::narrows(const ItemSearch &broader) const
{
    return m_needle.contains(broader.m_needle);
}

QString ItemSearch::folded(QStringView text)
{
    // Compatibility composition first, so that e.g. a full-width "Ａ" is an "A"
    // before its case is folded; a second pass catches the few forms that
    // folding leaves uncomposed.
    QString out = text.toString().normalized(QString::NormalizationForm_KC).toCaseFolded();
    out = out.normalized(QString::NormalizationForm_KC);
    out.remove(fieldSeparator);
    return out;
}

QString ItemSearch::key(const StashItem &item)
{
    return key(item.displayName(), item.note().value_or(QString()), item.text().value_or(QString()),
               item.urlString().value_or(QString()));
}

QString ItemSearch::key(const QString &name, const QString &note, const QString &text, const QString &url)
{
    QString key;
    key.reserve(name.size() + note.size() + text.size() + url.size() + 3);
    bool first = true;
    for (const QString *field : {&name, &note, &text, &url}) {
        if (!first)
            key += fieldSeparator;
        key += folded(*field);
        first = false;
    }
    return key;
}

} // namespace holdra
