#pragma once

namespace holdra {

// For the start-up benchmark: with HOLDRA_REPORT_FIRST_FRAME set, the first
// frame any of the current Qt Quick windows puts on screen prints
// "first-frame <steady clock ns>" to standard error, once. Does nothing otherwise.
class FirstFrameReport
{
public:
    static void installIfRequested();
};

} // namespace holdra
