#include "Panel/PanelGeometry.h"

#include "Models/DraftTextMetrics.h"
#include "Settings/AppSettings.h"

#include <algorithm>

namespace holdra {

PanelGeometry::PanelGeometry(AppSettings &settings, ReferenceMetrics reference, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_reference(std::move(reference))
    , m_width(settings.panelWidth())
{
    connect(&m_settings, &AppSettings::panelWidthChanged, this, [this](double width) { apply(width, false); });
}

double PanelGeometry::height(double fieldContentHeight)
{
    const double line = DraftTextMetrics::lineHeight();
    const double field = std::min(std::max(fieldContentHeight, line), maximumFieldLines * line);
    return baseHeight + field - line;
}

double PanelGeometry::clamped(double width) const
{
    const std::optional<NotchMetrics> m = m_reference ? m_reference() : std::nullopt;
    if (!m)
        return std::clamp(width, minimumWidth, maximumWidth);
    const double upper = std::min(std::max(m->screenFrame().width() - displaySideMargins, 0.0), maximumWidth);
    const double lower = std::min(std::max(m->hasNotch() ? m->notchWidth() + notchMargin : 0.0, minimumWidth), upper);
    return std::min(std::max(width, lower), upper);
}

void PanelGeometry::setWidth(double width)
{
    if (m_width == width)
        return;
    m_width = width;
    Q_EMIT widthChanged();
}

void PanelGeometry::refresh()
{
    setWidth(clamped(m_settings.panelWidth()));
}

void PanelGeometry::apply(double width, bool persist)
{
    const double value = clamped(width);
    setWidth(value);
    if (persist)
        m_settings.setPanelWidth(value);
}

void PanelGeometry::step(double delta)
{
    apply(m_width + delta, true);
}

void PanelGeometry::beginResize(Edge edge, double mouseScreenX)
{
    if (!m_panelOpen)
        return;
    const bool wasResizing = isResizing();
    m_edge = edge;
    m_startWidth = m_width;
    m_startMouseX = mouseScreenX;
    if (!wasResizing)
        Q_EMIT isResizingChanged();
}

void PanelGeometry::updateResize(double mouseScreenX)
{
    if (!m_panelOpen || !m_edge || !m_startWidth || !m_startMouseX)
        return;
    const double delta = *m_edge == Edge::Trailing ? mouseScreenX - *m_startMouseX : *m_startMouseX - mouseScreenX;
    // The panel stays centred, so each edge moves by delta.
    apply(*m_startWidth + 2 * delta, false);
}

void PanelGeometry::endResize()
{
    if (!m_startWidth)
        return;
    m_edge.reset();
    m_startWidth.reset();
    m_startMouseX.reset();
    m_settings.setPanelWidth(m_width);
    Q_EMIT isResizingChanged();
}

} // namespace holdra
