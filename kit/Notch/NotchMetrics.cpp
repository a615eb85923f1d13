#include "Notch/NotchMetrics.h"

#include <cmath>

namespace holdra {

namespace {

double topOf(const QRectF &rect)
{
    return rect.y() + rect.height();
}

// The flip is its own inverse: it maps the bottom of the primary screen to y = 0
// in either direction.
QRectF flipped(const QRectF &rect, const QRectF &primaryScreenGeometry)
{
    const double y = primaryScreenGeometry.y() + primaryScreenGeometry.height() - topOf(rect);
    return {rect.x(), y, rect.width(), rect.height()};
}

} // namespace

NotchMetrics::NotchMetrics(const QRectF &screenFrame, const std::optional<QRectF> &visibleFrame, double safeAreaTop,
                           std::optional<double> auxLeftWidth, std::optional<double> auxRightWidth)
    : m_screenFrame(screenFrame)
{
    if (auxLeftWidth && auxRightWidth && *auxLeftWidth > 0 && *auxRightWidth > 0
        && *auxLeftWidth + *auxRightWidth < screenFrame.width()) {
        m_hasNotch = true;
        m_notchWidth = screenFrame.width() - *auxLeftWidth - *auxRightWidth;
        m_notchHeight = safeAreaTop > 0 ? safeAreaTop : defaultNotchHeight;
        m_attachmentTopY = topOf(screenFrame);
    } else if (safeAreaTop > 0) {
        m_hasNotch = true;
        m_notchHeight = safeAreaTop;
        m_attachmentTopY = topOf(screenFrame);
    } else if (visibleFrame) {
        m_attachmentTopY = topOf(*visibleFrame);
    } else {
        m_attachmentTopY = topOf(screenFrame);
    }
}

NotchMetrics NotchMetrics::forQtScreen(const QRectF &geometry, const QRectF &availableGeometry,
                                       const QRectF &primaryScreenGeometry)
{
    return {fromQtGlobal(geometry, primaryScreenGeometry), fromQtGlobal(availableGeometry, primaryScreenGeometry), 0,
            std::nullopt, std::nullopt};
}

QRectF NotchMetrics::topCenteredFrame(double width, double height) const
{
    const double x = std::round(m_screenFrame.center().x() - width * 0.5);
    const double y = std::round(m_attachmentTopY - height);
    return {x, y, width, height};
}

QRectF NotchMetrics::closedFrame(double fallbackWidth, double interactiveBelow) const
{
    if (m_hasNotch) {
        const double width = m_notchWidth > minimumNotchedClosedWidth ? m_notchWidth : minimumNotchedClosedWidth;
        return topCenteredFrame(width, m_notchHeight + interactiveBelow);
    }
    return topCenteredFrame(fallbackWidth, plainClosedHeight);
}

QRectF NotchMetrics::openFrame(double width, double height) const
{
    const double widthLimit = m_screenFrame.width() - openHorizontalMargin;
    const double heightLimit = m_screenFrame.height() - openVerticalMargin;
    return topCenteredFrame(widthLimit < width ? widthLimit : width, heightLimit < height ? heightLimit : height);
}

QRectF NotchMetrics::toQtGlobal(const QRectF &yUpRect, const QRectF &primaryScreenGeometry)
{
    return flipped(yUpRect, primaryScreenGeometry);
}

QRectF NotchMetrics::fromQtGlobal(const QRectF &qtRect, const QRectF &primaryScreenGeometry)
{
    return flipped(qtRect, primaryScreenGeometry);
}

} // namespace holdra
