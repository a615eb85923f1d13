#pragma once

#include "Support/Clock.h"

#include <QFont>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

namespace holdra {

// The quick-entry draft shared by every panel window, and the height its text needs.
// Measuring lays the text out, so it is coalesced to one pass per event-loop turn and
// throttled to one pass per 0.1 s; clearing the field and the first real width skip
// the throttle so that the field shrinks or settles at once.
class DraftModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString draft READ draft WRITE setDraft NOTIFY draftChanged)
    Q_PROPERTY(bool isTyping READ isTyping WRITE setTyping NOTIFY isTypingChanged)
    Q_PROPERTY(double fieldContentHeight READ fieldContentHeight NOTIFY fieldContentHeightChanged)
    Q_PROPERTY(double lineHeight READ lineHeight CONSTANT)
    Q_PROPERTY(QFont font READ font CONSTANT)

public:
    static constexpr Clock::Duration minimumMeasurementInterval{100};
    static constexpr double initialFieldAvailableWidth = 324;

    explicit DraftModel(QObject *parent = nullptr);
    // `clock` must outlive the model.
    explicit DraftModel(Clock &clock, QObject *parent = nullptr);
    ~DraftModel() override;

    QString draft() const { return m_draft; }
    void setDraft(const QString &draft);

    // The field has keyboard focus.
    bool isTyping() const { return m_isTyping; }
    void setTyping(bool typing);

    // lineHeight × the draft's line count at the field's width.
    double fieldContentHeight() const { return m_fieldContentHeight; }
    double fieldAvailableWidth() const { return m_fieldAvailableWidth; }
    double lineHeight() const { return m_lineHeight; }
    // The font the field must show its text in.
    QFont font() const;

    // The width the field's text can use; not finite, not positive or within 0.5 of
    // the current width is ignored.
    Q_INVOKABLE void setFieldAvailableWidth(double width);

    // Return pressed in the field.
    Q_INVOKABLE void submit();

Q_SIGNALS:
    void draftChanged(const QString &draft);
    void isTypingChanged(bool typing);
    void fieldContentHeightChanged(double height);
    // After every measurement, whether or not the height changed.
    void draftDidChange();
    void submitRequested();

private:
    DraftModel(std::unique_ptr<Clock> ownClock, Clock *clock, QObject *parent);

    void scheduleDraftDidChange(bool forceMeasurement);
    void measureAndPublishWhenDue(bool force);
    void measureAndPublish(Clock::Duration time);

    std::unique_ptr<Clock> m_ownClock;
    Clock *m_clock;

    QString m_draft;
    bool m_isTyping = false;
    double m_lineHeight;
    double m_fieldContentHeight;
    double m_fieldAvailableWidth = initialFieldAvailableWidth;
    bool m_hasReceivedFieldAvailableWidth = false;

    bool m_scheduled = false;
    bool m_requiresImmediateMeasurement = false;
    bool m_trailingMeasurementPending = false;
    // Bumped to cancel a pending trailing measurement.
    quint64 m_trailingMeasurementGeneration = 0;
    std::optional<Clock::Duration> m_lastMeasuredAt;
};

} // namespace holdra
