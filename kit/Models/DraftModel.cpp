#include "Models/DraftModel.h"

#include "Models/DraftTextMetrics.h"
#include "Support/SystemClock.h"

#include <cmath>

namespace holdra {

DraftModel::DraftModel(QObject *parent)
    : DraftModel(std::make_unique<SystemClock>(), nullptr, parent)
{
}

DraftModel::DraftModel(Clock &clock, QObject *parent)
    : DraftModel(nullptr, &clock, parent)
{
}

DraftModel::DraftModel(std::unique_ptr<Clock> ownClock, Clock *clock, QObject *parent)
    : QObject(parent)
    , m_ownClock(std::move(ownClock))
    , m_clock(clock ? clock : m_ownClock.get())
    , m_lineHeight(DraftTextMetrics::lineHeight())
    , m_fieldContentHeight(m_lineHeight)
{
}

DraftModel::~DraftModel() = default;

void DraftModel::setDraft(const QString &draft)
{
    if (draft == m_draft)
        return;
    m_draft = draft;
    Q_EMIT draftChanged(m_draft);
    scheduleDraftDidChange(m_draft.isEmpty());
}

void DraftModel::setTyping(bool typing)
{
    if (typing == m_isTyping)
        return;
    m_isTyping = typing;
    Q_EMIT isTypingChanged(m_isTyping);
}

QFont DraftModel::font() const
{
    return DraftTextMetrics::font();
}

void DraftModel::setFieldAvailableWidth(double width)
{
    if (!std::isfinite(width) || width <= 0)
        return;
    if (std::abs(width - m_fieldAvailableWidth) < 0.5)
        return;
    const bool first = !m_hasReceivedFieldAvailableWidth;
    m_fieldAvailableWidth = width;
    m_hasReceivedFieldAvailableWidth = true;
    scheduleDraftDidChange(first);
}

void DraftModel::submit()
{
    Q_EMIT submitRequested();
}

void DraftModel::scheduleDraftDidChange(bool forceMeasurement)
{
    if (forceMeasurement)
        m_requiresImmediateMeasurement = true;
    if (m_scheduled)
        return;
    m_scheduled = true;
    // One pass for all the changes of this event-loop turn.
    m_clock->runAfter(Clock::Duration::zero(), this, [this] {
        m_scheduled = false;
        const bool force = m_requiresImmediateMeasurement;
        m_requiresImmediateMeasurement = false;
        measureAndPublishWhenDue(force);
    });
}

void DraftModel::measureAndPublishWhenDue(bool force)
{
    const Clock::Duration now = m_clock->now();
    if (m_lastMeasuredAt && !force && now - *m_lastMeasuredAt < minimumMeasurementInterval) {
        if (m_trailingMeasurementPending)
            return; // it will measure the latest text
        m_trailingMeasurementPending = true;
        const quint64 generation = m_trailingMeasurementGeneration;
        const Clock::Duration wait = minimumMeasurementInterval - (now - *m_lastMeasuredAt);
        m_clock->runAfter(wait, this, [this, generation] {
            if (generation != m_trailingMeasurementGeneration)
                return;
            m_trailingMeasurementPending = false;
            measureAndPublish(m_clock->now());
        });
        return;
    }
    if (m_trailingMeasurementPending) {
        m_trailingMeasurementPending = false;
        ++m_trailingMeasurementGeneration;
    }
    measureAndPublish(now);
}

void DraftModel::measureAndPublish(Clock::Duration time)
{
    m_lastMeasuredAt = time;
    const double height = m_lineHeight * DraftTextMetrics::lineCount(m_draft, m_fieldAvailableWidth);
    if (height != m_fieldContentHeight) {
        m_fieldContentHeight = height;
        Q_EMIT fieldContentHeightChanged(m_fieldContentHeight);
    }
    Q_EMIT draftDidChange();
}

} // namespace holdra
