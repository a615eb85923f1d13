#pragma once

#include <QRectF>

#include <optional>

namespace holdra {

// The geometry of one display for the windows that hang from its top centre: the
// closed capsule, the open panel and any other top-centred window.
//
// Rectangles here live in a y-up global space: y grows upwards, y = 0 is the bottom
// of the primary screen, x is Qt's. A rectangle's top edge is y + height. Qt's
// y-down virtual desktop meets this space only through toQtGlobal/fromQtGlobal, at
// the window boundary.
class NotchMetrics
{
public:
    static constexpr double defaultNotchHeight = 32;
    static constexpr double minimumNotchedClosedWidth = 160;
    static constexpr double plainClosedHeight = 34;
    static constexpr double closedFallbackWidth = 190;
    static constexpr double interactiveBandBelowNotch = 26;
    static constexpr double openHorizontalMargin = 40;
    static constexpr double openVerticalMargin = 120;

    // `visibleFrame` is the frame less menu bar or top panel; the auxiliary widths are
    // those of the free areas left and right of a camera housing, absent without one.
    NotchMetrics(const QRectF &screenFrame, const std::optional<QRectF> &visibleFrame, double safeAreaTop,
                 std::optional<double> auxLeftWidth, std::optional<double> auxRightWidth);

    // A Qt screen, given by its geometry and available geometry in Qt's coordinates.
    // Qt screens report no notch, so the capsule hangs below the top panel.
    static NotchMetrics forQtScreen(const QRectF &geometry, const QRectF &availableGeometry,
                                    const QRectF &primaryScreenGeometry);

    QRectF screenFrame() const { return m_screenFrame; }
    bool hasNotch() const { return m_hasNotch; }
    double notchWidth() const { return m_notchWidth; } // 0 when unknown
    double notchHeight() const { return m_notchHeight; }
    double attachmentTopY() const { return m_attachmentTopY; }

    // Centred on the display with its top on the attachment line; the position is
    // rounded to whole points, the size is kept.
    QRectF topCenteredFrame(double width, double height) const;
    // Covers the notch and a band below it, or a fallbackWidth × 34 strip under the top panel.
    QRectF closedFrame(double fallbackWidth, double interactiveBelow) const;
    // Leaves at least 20 points at each side and 120 points of the height free.
    QRectF openFrame(double width, double height) const;

    // The one conversion between the y-up space and Qt's virtual desktop; each is the
    // other's inverse. `primaryScreenGeometry` is the primary screen's Qt geometry.
    static QRectF toQtGlobal(const QRectF &yUpRect, const QRectF &primaryScreenGeometry);
    static QRectF fromQtGlobal(const QRectF &qtRect, const QRectF &primaryScreenGeometry);

    friend bool operator==(const NotchMetrics &, const NotchMetrics &) = default;

private:
    QRectF m_screenFrame;
    bool m_hasNotch = false;
    double m_notchWidth = 0;
    double m_notchHeight = 0;
    double m_attachmentTopY = 0;
};

} // namespace holdra
