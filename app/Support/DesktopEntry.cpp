#include "Support/DesktopEntry.h"

#include <QFile>

namespace holdra {

namespace {

// Desktop entries are small; a larger file is not one.
constexpr qint64 maximumEntryBytes = 1024 * 1024;

QString unescapeValue(QStringView raw)
{
    QString out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw[i];
        if (c != u'\\' || i + 1 == raw.size()) {
            out.append(c);
            continue;
        }
        const QChar next = raw[++i];
        switch (next.unicode()) {
        case 's': out.append(u' '); break;
        case 'n': out.append(u'\n'); break;
        case 't': out.append(u'\t'); break;
        case 'r': out.append(u'\r'); break;
        case '\\': out.append(u'\\'); break;
        default: // kept for the list and Exec rules (\; and quoting)
            out.append(u'\\');
            out.append(next);
        }
    }
    return out;
}

} // namespace

QString DesktopEntry::mainGroup()
{
    return QStringLiteral("Desktop Entry");
}

std::optional<DesktopEntry> DesktopEntry::read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > maximumEntryBytes)
        return std::nullopt;
    return parse(file.read(maximumEntryBytes));
}

DesktopEntry DesktopEntry::parse(const QByteArray &contents)
{
    DesktopEntry entry;
    QHash<QString, QString> *current = nullptr;
    for (const QByteArray &rawLine : contents.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            // The first occurrence of a group wins, as for keys.
            const QString name = line.mid(1, line.size() - 2);
            current = entry.m_groups.contains(name) ? nullptr : &entry.m_groups[name];
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!current || equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        if (!current->contains(key))
            current->insert(key, unescapeValue(QStringView(line).mid(equals + 1).trimmed()));
    }
    return entry;
}

QString DesktopEntry::value(const QString &group, const QString &key) const
{
    return m_groups.value(group).value(key);
}

bool DesktopEntry::contains(const QString &group, const QString &key) const
{
    return m_groups.value(group).contains(key);
}

QStringList DesktopEntry::list(const QString &group, const QString &key) const
{
    QStringList items;
    QString item;
    const QString raw = value(group, key);
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] == u'\\' && i + 1 < raw.size() && raw[i + 1] == u';') {
            item.append(u';');
            ++i;
        } else if (raw[i] == u';') {
            if (!item.trimmed().isEmpty())
                items.append(item.trimmed());
            item.clear();
        } else {
            item.append(raw[i]);
        }
    }
    if (!item.trimmed().isEmpty())
        items.append(item.trimmed());
    return items;
}

QVariantMap DesktopEntry::group(const QString &group) const
{
    QVariantMap map;
    const QHash<QString, QString> keys = m_groups.value(group);
    for (auto it = keys.cbegin(); it != keys.cend(); ++it)
        map.insert(it.key(), it.value());
    return map;
}

std::optional<QStringList> DesktopEntry::commandLine(const QString &exec, const QString &url)
{
    // Split into words first: double quotes group, and inside them a backslash
    // escapes ", `, $ and \.
    QStringList words;
    QList<bool> quoted;
    QString word;
    bool inQuotes = false;
    bool inWord = false;
    bool wordQuoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (inQuotes) {
            if (c == u'\\' && i + 1 < exec.size()) {
                word.append(exec[++i]);
            } else if (c == u'"') {
                inQuotes = false;
            } else {
                word.append(c);
            }
        } else if (c == u'"') {
            inQuotes = inWord = wordQuoted = true;
        } else if (c == u' ' || c == u'\t') {
            if (inWord) {
                words.append(word);
                quoted.append(wordQuoted);
            }
            word.clear();
            inWord = wordQuoted = false;
        } else {
            word.append(c);
            inWord = true;
        }
    }
    if (inQuotes)
        return std::nullopt;
    if (inWord) {
        words.append(word);
        quoted.append(wordQuoted);
    }
    if (words.isEmpty())
        return std::nullopt;

    QStringList arguments;
    bool urlPlaced = false;
    for (qsizetype w = 0; w < words.size(); ++w) {
        const QString &raw = words[w];
        // A lone field code becomes its value, or nothing at all.
        if (!quoted[w] && raw.size() == 2 && raw[0] == u'%') {
            const QChar code = raw[1];
            if (code == u'u' || code == u'U' || code == u'f' || code == u'F') {
                if (!urlPlaced)
                    arguments.append(url);
                urlPlaced = true;
                continue;
            }
            if (code != u'%')
                continue;
        }
        QString expanded;
        for (qsizetype i = 0; i < raw.size(); ++i) {
            if (raw[i] != u'%' || i + 1 == raw.size()) {
                expanded.append(raw[i]);
                continue;
            }
            const QChar code = raw[++i];
            if (code == u'%') {
                expanded.append(u'%');
            } else if ((code == u'u' || code == u'U' || code == u'f' || code == u'F') && !urlPlaced) {
                expanded.append(url);
                urlPlaced = true;
            }
        }
        arguments.append(expanded);
    }
    if (arguments.isEmpty() || arguments.first().isEmpty())
        return std::nullopt;
    if (!urlPlaced)
        arguments.append(url);
    return arguments;
}

} // namespace holdra
