#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace holdra {

// The pictures the views ask for by symbol name ("doc", "mic.fill", "trash", …).
// Each name stands for an icon of the desktop's theme; where the theme lacks
// it, Holdra's own drawing of the symbol is used, so no name ever shows blank.
namespace SymbolIcons {

// Every symbol name the views use.
QStringList symbolNames();

// The freedesktop icon name standing in for `symbol`, or empty for unknown names.
QString themeIconName(const QString &symbol);

// The bundled drawing of `symbol` (a resource path), or empty for unknown names.
QString fallbackPath(const QString &symbol);

// The theme's icon, else the bundled drawing; a null icon for unknown names.
QIcon icon(const QString &symbol);

// "image://symbol/<name>", for QML images served by SymbolImageProvider.
QUrl imageUrl(const QString &symbol);

} // namespace SymbolIcons
} // namespace holdra
