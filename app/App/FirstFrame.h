#pragma once

#include <QObject>

#include <chrono>
#include <functional>

namespace holdra {

// The first frame Holdra puts on screen: what may wait until it is there, and
// the start-up benchmark's report of it.
class FirstFrame
{
public:
    // Runs `action` once, on `context`'s thread, as soon as one of the current
    // Qt Quick windows has shown its first frame; after `fallback` when none
    // does (no display attached, a window that is never exposed). Nothing runs
    // once `context` is gone.
    static void whenShown(QObject *context, std::function<void()> action, std::chrono::milliseconds fallback);

    // With HOLDRA_REPORT_FIRST_FRAME set, prints "first-frame <steady clock ns>"
    // to standard error when the first frame is on screen, once.
    static void reportIfRequested();
};

} // namespace holdra
