#pragma once

#include <QQuickItem>

namespace holdra::test {

// Shown on screen: the item and every item above it are visible.
inline bool effectivelyVisible(const QQuickItem *item)
{
    for (; item; item = item->parentItem()) {
        if (!item->isVisible())
            return false;
    }
    return true;
}

} // namespace holdra::test
