#include "Notch/FullScreenWindowDetector.h"

namespace holdra::FullScreenWindowDetector {

namespace {

constexpr double minimumAlpha = 0.01;
constexpr double minimumCoverage = 0.995;

bool counts(const WindowCoverageSnapshot &window, qint32 excludingOwnerPID)
{
    return window.onScreen && window.ownerPID != excludingOwnerPID && window.layer == 0 && window.alpha > minimumAlpha;
}

} // namespace

QSet<QString> coveredDisplayIDs(const QList<DisplayBounds> &displays, const QList<WindowCoverageSnapshot> &windows,
                                qint32 excludingOwnerPID)
{
    QList<QRectF> candidates;
    for (const WindowCoverageSnapshot &window : windows) {
        if (counts(window, excludingOwnerPID))
            candidates.append(window.bounds);
    }

    QSet<QString> covered;
    QSet<QString> seen;
    if (candidates.isEmpty())
        return covered;
    for (const DisplayBounds &display : displays) {
        if (seen.contains(display.id))
            continue;
        seen.insert(display.id);
        const QRectF &bounds = display.bounds;
        if (bounds.width() <= 0 || bounds.height() <= 0)
            continue;
        const double needed = minimumCoverage * bounds.width() * bounds.height();
        for (const QRectF &window : candidates) {
            const QRectF overlap = window.intersected(bounds);
            if (!overlap.isEmpty() && overlap.width() * overlap.height() >= needed) {
                covered.insert(display.id);
                break;
            }
        }
    }
    return covered;
}

} // namespace holdra::FullScreenWindowDetector
