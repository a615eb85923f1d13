#pragma once

#include <QtGlobal>
#include <gtest/gtest.h>

namespace holdra::test {

// CI has root, Xvfb, openbox, PulseAudio and a session bus, so a skipped test there
// means a tool or service went missing and the suite passed without running it.
// When the CI variable is set, every skip is also reported as a failure.
class SkipsFailInCI : public ::testing::EmptyTestEventListener
{
public:
    static void installWhenInCI()
    {
        const QByteArray ci = qgetenv("CI");
        if (!ci.isEmpty() && ci != "0" && ci != "false")
            ::testing::UnitTest::GetInstance()->listeners().Append(new SkipsFailInCI);
    }

private:
    void OnTestPartResult(const ::testing::TestPartResult &result) override
    {
        if (result.skipped())
            ADD_FAILURE_AT(result.file_name() ? result.file_name() : "unknown", result.line_number())
                << "skipped in CI, where nothing should be: " << result.message();
    }
};

} // namespace holdra::test
