#include "App/WindowPlacement.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace holdra::WindowPlacement {

namespace {

// Before the window manager has framed a window its margins are unknown;
// a title bar and thin borders are what the common themes draw.
constexpr QMargins assumedFrame(4, 32, 4, 4);

bool fitsInside(const QRect &inside, const QMargins &frame, const QRect &available)
{
    return available.contains(inside.marginsAdded(frame));
}

} // namespace

QRect fitted(const QRect &wanted, const QMargins &frame, const QRect &available)
{
    const QRect room = available.marginsRemoved(frame);
    const QSize size = wanted.size().boundedTo(room.size().expandedTo(QSize(1, 1)));
    const int x = std::clamp(wanted.x(), room.left(), std::max(room.left(), room.right() + 1 - size.width()));
    const int y = std::clamp(wanted.y(), room.top(), std::max(room.top(), room.bottom() + 1 - size.height()));
    return QRect(QPoint(x, y), size);
}

void fitOnScreen(QWindow *window)
{
    if (!window)
        return;
    const QMargins frame = window->frameMargins().isNull() ? assumedFrame : window->frameMargins();
    const QRect current = window->geometry();
    if (const QScreen *screen = QGuiApplication::screenAt(current.center())) {
        if (fitsInside(current, frame, screen->availableGeometry()))
            return;
    }
    const QScreen *target = QGuiApplication::screenAt(QCursor::pos());
    if (!target)
        target = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!target)
        return;
    const QRect available = target->availableGeometry();
    QRect centred(QPoint(), current.size());
    centred.moveCenter(available.center());
    window->setGeometry(fitted(centred, frame, available));
}

} // namespace holdra::WindowPlacement
