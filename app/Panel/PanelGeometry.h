#pragma once

#include "Notch/NotchMetrics.h"

#include <QObject>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <optional>

namespace holdra {

class AppSettings;

// The open panel's width: the stored width clamped to the display it opens on,
// dragged from either edge (both edges move, the panel stays centred) or
// stepped from the keyboard. A drag stores the width when it ends, a step at once.
class PanelGeometry : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The controller owns the geometry.")
    Q_PROPERTY(double width READ width NOTIFY widthChanged)
    Q_PROPERTY(bool isResizing READ isResizing NOTIFY isResizingChanged)

public:
    enum class Edge { Leading, Trailing };
    Q_ENUM(Edge)

    static constexpr double minimumWidth = 320;
    static constexpr double maximumWidth = 720;
    static constexpr double notchMargin = 96;
    static constexpr double displaySideMargins = 40;
    static constexpr double baseHeight = 470;
    static constexpr int maximumFieldLines = 8;

    // The display the panel is (or would be) open on; none without displays.
    using ReferenceMetrics = std::function<std::optional<NotchMetrics>()>;

    // `settings` must outlive the geometry.
    PanelGeometry(AppSettings &settings, ReferenceMetrics reference, QObject *parent = nullptr);

    double width() const { return m_width; }
    bool isResizing() const { return m_startWidth.has_value(); }
    // The panel's height for a quick-entry field of this content height: it
    // grows with the field up to eight lines.
    static double height(double fieldContentHeight);

    // The stored width clamped again, as the reference display may have changed.
    void refresh();
    // Only an open panel is resized.
    void setPanelOpen(bool open) { m_panelOpen = open; }

    Q_INVOKABLE void beginResize(holdra::PanelGeometry::Edge edge, double mouseScreenX);
    Q_INVOKABLE void updateResize(double mouseScreenX);
    // Mouse up on a handle, or the panel closing: the width is stored.
    Q_INVOKABLE void endResize();
    // One keyboard or screen-reader step: clamped like a drag, stored at once.
    Q_INVOKABLE void step(double delta);

Q_SIGNALS:
    void widthChanged();
    void isResizingChanged();

private:
    double clamped(double width) const;
    void apply(double width, bool persist);
    void setWidth(double width);

    AppSettings &m_settings;
    ReferenceMetrics m_reference;
    double m_width;
    bool m_panelOpen = false;
    std::optional<Edge> m_edge;
    std::optional<double> m_startWidth;
    std::optional<double> m_startMouseX;
};

} // namespace holdra
