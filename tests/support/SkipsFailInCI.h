#pragma once

#include <QByteArray>
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
    // Test ends are told to listeners in reverse order, so this runs before the
    // printer's: the test is still current and is reported as failed, not skipped.
    void OnTestEnd(const ::testing::TestInfo &test) override
    {
        const ::testing::TestResult &result = *test.result();
        if (!result.Skipped())
            return;
        for (int i = 0; i < result.total_part_count(); ++i) {
            const ::testing::TestPartResult &part = result.GetTestPartResult(i);
            if (part.skipped())
                ADD_FAILURE_AT(part.file_name() ? part.file_name() : "unknown", part.line_number())
                    << "skipped in CI, where nothing should be: " << part.message();
        }
    }
};

} // namespace holdra::test
