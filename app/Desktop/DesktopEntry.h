#pragma once

#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

namespace holdra {

// An installed application's desktop entry as GIO (GDesktopAppInfo) reads it:
// found by desktop ID across the XDG applications directories, routed through
// the mimeapps.list files, and launched by freedesktop.org's Desktop Entry
// rules (quoting, field codes, %i %c %k). GLib stays out of this
// header, so that Qt code with its `signals` keyword can include it.
class DesktopEntry
{
public:
    // The entry with this desktop ID ("com.tessavel.Kelvarn.desktop"), the
    // first directory that has it deciding; nothing when there is none or it
    // is hidden (Hidden=true) or unusable (its program is missing).
    static std::optional<DesktopEntry> forDesktopID(const QString &desktopID);
    // The entry in this file, read afresh.
    static std::optional<DesktopEntry> fromFile(const QString &path);
    // The application the desktop opens `scheme`: URLs with (x-scheme-handler/…).
    static std::optional<DesktopEntry> defaultForURIScheme(const QString &scheme);
    // The application the desktop opens files of this MIME type with.
    static std::optional<DesktopEntry> defaultForMimeType(const QString &mimeType);

    // "com.tessavel.Kelvarn.desktop"; empty for an entry read from a file
    // outside the applications directories.
    QString desktopID() const;
    QString filePath() const;
    // The program its Exec= line starts, as written there ("holdra", "/usr/bin/gedit").
    QString executable() const;
    // A key of the [Desktop Entry] group; nothing when it is absent.
    std::optional<QString> value(const QString &key) const;

    // Starts the application with `url`. Empty on success, else why it could not start.
    QString launch(const QUrl &url) const;

private:
    explicit DesktopEntry(std::shared_ptr<void> info);
    static std::optional<DesktopEntry> adopt(void *info);

    // The GDesktopAppInfo, released when the last copy goes.
    std::shared_ptr<void> m_info;
};

} // namespace holdra
