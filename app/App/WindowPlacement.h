#pragma once

#include <QMargins>
#include <QRect>

class QWindow;

namespace holdra {

// Where Holdra's own ordinary windows (the previews) open: whole on one
// screen's work area, frame included.
namespace WindowPlacement {

// `wanted` (the window's inside) moved, and shrunk where it must, so that it
// and its `frame` margins lie inside `available`.
QRect fitted(const QRect &wanted, const QMargins &frame, const QRect &available);

// Keeps `window` where it is when that fits on the screen that holds its
// centre; otherwise centres it on the screen under the pointer, within its
// work area.
void fitOnScreen(QWindow *window);

} // namespace WindowPlacement
} // namespace holdra
