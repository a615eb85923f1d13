#pragma once

#include <QQuickImageProvider>

namespace holdra {

// Serves "image://symbol/<name>" to QML: the symbol's icon from SymbolIcons,
// rendered at the requested size (16 px when none is asked for).
class SymbolImageProvider : public QQuickImageProvider
{
public:
    SymbolImageProvider();

    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override;
};

} // namespace holdra
