#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <optional>

namespace holdra {

// A freedesktop.org desktop entry (or a mimeapps.list, which has the same
// syntax): groups of "Key=Value" lines. Values are unescaped (\s \n \t \r \\);
// localised keys ("Name[zh_CN]") are kept under their full name.
class DesktopEntry
{
public:
    // Nothing when the file cannot be read or is not a key file at all.
    static std::optional<DesktopEntry> read(const QString &path);
    static DesktopEntry parse(const QByteArray &contents);

    QString value(const QString &group, const QString &key) const;
    bool contains(const QString &group, const QString &key) const;
    // A ";"-separated list value, empty items dropped.
    QStringList list(const QString &group, const QString &key) const;
    // The keys of the group as a dictionary of strings.
    QVariantMap group(const QString &group) const;

    // The entry's own group, "Desktop Entry".
    static QString mainGroup();

    // The program and arguments of an Exec value launched with `url`: field
    // codes %u %U %f %F take the URL (appended when there is none), %% is a
    // percent sign, the other codes are dropped. Nothing for an empty or
    // badly quoted command.
    static std::optional<QStringList> commandLine(const QString &exec, const QString &url);

private:
    QHash<QString, QHash<QString, QString>> m_groups;
};

} // namespace holdra
