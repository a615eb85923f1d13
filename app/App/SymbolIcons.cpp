#include "App/SymbolIcons.h"

#include <QFile>
#include <QHash>

namespace holdra::SymbolIcons {

namespace {

const QHash<QString, QString> &themeNames()
{
    // Symbolic (monochrome) icons of the freedesktop naming scheme, as Adwaita and
    // Breeze ship them, so they tint like the originals.
    static const QHash<QString, QString> names{
        {QStringLiteral("arrow.clockwise"), QStringLiteral("view-refresh-symbolic")},
        {QStringLiteral("arrow.down.circle"), QStringLiteral("software-update-available-symbolic")},
        {QStringLiteral("arrow.up.forward"), QStringLiteral("folder-open-symbolic")},
        {QStringLiteral("arrow.up.forward.app"), QStringLiteral("document-open-symbolic")},
        {QStringLiteral("arrow.uturn.backward"), QStringLiteral("edit-undo-symbolic")},
        {QStringLiteral("arrow.uturn.backward.circle.fill"), QStringLiteral("edit-undo-symbolic")},
        {QStringLiteral("checkmark.circle.fill"), QStringLiteral("emblem-ok-symbolic")},
        {QStringLiteral("chevron.up"), QStringLiteral("go-up-symbolic")},
        {QStringLiteral("display"), QStringLiteral("video-display-symbolic")},
        {QStringLiteral("doc"), QStringLiteral("text-x-generic-symbolic")},
        {QStringLiteral("doc.on.doc"), QStringLiteral("edit-copy-symbolic")},
        {QStringLiteral("exclamationmark.triangle.fill"), QStringLiteral("dialog-warning-symbolic")},
        {QStringLiteral("eye"), QStringLiteral("view-reveal-symbolic")},
        {QStringLiteral("eye.fill"), QStringLiteral("view-reveal-symbolic")},
        {QStringLiteral("folder"), QStringLiteral("folder-symbolic")},
        {QStringLiteral("folder.badge.gearshape"), QStringLiteral("folder-templates-symbolic")},
        {QStringLiteral("folder.fill"), QStringLiteral("folder-symbolic")},
        {QStringLiteral("gearshape"), QStringLiteral("preferences-system-symbolic")},
        {QStringLiteral("globe"), QStringLiteral("web-browser-symbolic")},
        {QStringLiteral("laptopcomputer"), QStringLiteral("computer-symbolic")},
        {QStringLiteral("link"), QStringLiteral("insert-link-symbolic")},
        {QStringLiteral("lock"), QStringLiteral("changes-prevent-symbolic")},
        {QStringLiteral("lock.fill"), QStringLiteral("changes-prevent-symbolic")},
        {QStringLiteral("lock.open"), QStringLiteral("changes-allow-symbolic")},
        {QStringLiteral("magnifyingglass"), QStringLiteral("edit-find-symbolic")},
        {QStringLiteral("mic"), QStringLiteral("audio-input-microphone-symbolic")},
        {QStringLiteral("mic.fill"), QStringLiteral("audio-input-microphone-symbolic")},
        {QStringLiteral("note.text"), QStringLiteral("accessories-text-editor-symbolic")},
        {QStringLiteral("pause.fill"), QStringLiteral("media-playback-pause-symbolic")},
        {QStringLiteral("photo"), QStringLiteral("image-x-generic-symbolic")},
        {QStringLiteral("play.fill"), QStringLiteral("media-playback-start-symbolic")},
        {QStringLiteral("square.and.pencil"), QStringLiteral("document-edit-symbolic")},
        {QStringLiteral("stop.circle.fill"), QStringLiteral("media-playback-stop-symbolic")},
        {QStringLiteral("text.alignleft"), QStringLiteral("format-justify-left-symbolic")},
        {QStringLiteral("trash"), QStringLiteral("user-trash-symbolic")},
        {QStringLiteral("tray"), QStringLiteral("mail-inbox-symbolic")},
        {QStringLiteral("tray.and.arrow.down.fill"), QStringLiteral("document-save-symbolic")},
        {QStringLiteral("waveform"), QStringLiteral("audio-x-generic-symbolic")},
        {QStringLiteral("xmark.circle.fill"), QStringLiteral("window-close-symbolic")},
    };
    return names;
}

} // namespace

QStringList symbolNames()
{
    QStringList names = themeNames().keys();
    names.sort();
    return names;
}

QString themeIconName(const QString &symbol)
{
    return themeNames().value(symbol);
}

QString fallbackPath(const QString &symbol)
{
    if (!themeNames().contains(symbol))
        return {};
    return QStringLiteral(":/resources/icons/%1.svg").arg(symbol);
}

QIcon icon(const QString &symbol)
{
    const QString themeName = themeIconName(symbol);
    if (themeName.isEmpty())
        return {};
    // The menu-bar symbol is Holdra's own mark; a theme's save icon would not say "shelf".
    if (symbol != QLatin1String("tray.and.arrow.down.fill") && QIcon::hasThemeIcon(themeName))
        return QIcon::fromTheme(themeName);
    return QIcon(fallbackPath(symbol));
}

QUrl imageUrl(const QString &symbol)
{
    return QUrl(QStringLiteral("image://symbol/") + symbol);
}

} // namespace holdra::SymbolIcons
