#pragma once

#include "Support/Clock.h"

#include <QPointer>

#include <algorithm>
#include <tuple>
#include <vector>

namespace holdra::test {

// Virtual time: delayed calls run only when the test advances the clock, in the
// order they fall due (ties in the order they were made).
class ManualClock final : public Clock
{
public:
    Duration now() const override { return m_now; }

    void runAfter(Duration delay, QObject *context, std::function<void()> action) override
    {
        m_pending.push_back(
            {m_now + std::max(delay, Duration::zero()), m_sequence++, QPointer<QObject>(context), std::move(action)});
    }

    // Moves time forward by `step`, running every call that falls due on the way,
    // including calls those calls make.
    void advance(Duration step)
    {
        const Duration target = m_now + step;
        for (;;) {
            const auto next =
                std::min_element(m_pending.begin(), m_pending.end(), [](const Pending &a, const Pending &b) {
                    return std::tie(a.due, a.sequence) < std::tie(b.due, b.sequence);
                });
            if (next == m_pending.end() || next->due > target)
                break;
            Pending call = std::move(*next);
            m_pending.erase(next);
            m_now = call.due;
            if (call.context)
                call.action();
        }
        m_now = target;
    }

    // Runs what is due now, as one turn of the event loop would.
    void runDue() { advance(Duration::zero()); }

    std::size_t pendingCount() const { return m_pending.size(); }

private:
    struct Pending
    {
        Duration due;
        quint64 sequence;
        QPointer<QObject> context;
        std::function<void()> action;
    };

    Duration m_now{0};
    quint64 m_sequence = 0;
    std::vector<Pending> m_pending;
};

} // namespace holdra::test
