#include "Support/SystemClock.h"

#include <QTimer>

#include <algorithm>

namespace holdra {

SystemClock::SystemClock()
{
    m_elapsed.start();
}

Clock::Duration SystemClock::now() const
{
    return Duration(m_elapsed.elapsed());
}

void SystemClock::runAfter(Duration delay, QObject *context, std::function<void()> action)
{
    QTimer::singleShot(std::max(delay, Duration::zero()), Qt::PreciseTimer, context, std::move(action));
}

} // namespace holdra
