#pragma once

#include "Support/Clock.h"

#include <QElapsedTimer>

namespace holdra {

// The real clock: a monotonic timer and Qt's single-shot timers.
class SystemClock final : public Clock
{
public:
    SystemClock();

    Duration now() const override;
    void runAfter(Duration delay, QObject *context, std::function<void()> action) override;

private:
    QElapsedTimer m_elapsed;
};

} // namespace holdra
