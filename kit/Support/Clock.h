#pragma once

#include <QObject>

#include <chrono>
#include <functional>

namespace holdra {

// Monotonic time and delayed calls on the calling thread, behind an interface so that
// throttles and debounces can run on virtual time in tests.
class Clock
{
public:
    using Duration = std::chrono::milliseconds;

    Clock() = default;
    virtual ~Clock() = default;
    Q_DISABLE_COPY_MOVE(Clock)

    // Time since an arbitrary start; never goes backwards.
    virtual Duration now() const = 0;

    // Runs `action` once `delay` has passed, from the event loop (never from within
    // this call, even for a zero delay). Nothing runs if `context` is destroyed first.
    virtual void runAfter(Duration delay, QObject *context, std::function<void()> action) = 0;
};

} // namespace holdra
