#include "Platform/TerminationSignals.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>

using namespace holdra;

TEST(TerminationSignalsTest, EachSignalArrivesOnTheEventLoopAndTheDefaultsComeBackAfterwards)
{
    {
        TerminationSignals termination;
        ASSERT_TRUE(termination.isInstalled());
        QSignalSpy requests(&termination, &TerminationSignals::terminationRequested);
        ::raise(SIGTERM);
        ::raise(SIGINT);
        ::raise(SIGHUP);
        EXPECT_TRUE(requests.isEmpty()) << "nothing runs inside the handler";
        ASSERT_TRUE(QTest::qWaitFor([&] { return requests.size() == 3; }, 5000));
        EXPECT_EQ(requests[0].first().toInt(), SIGTERM);
        EXPECT_EQ(requests[1].first().toInt(), SIGINT);
        EXPECT_EQ(requests[2].first().toInt(), SIGHUP);

        TerminationSignals second;
        EXPECT_FALSE(second.isInstalled()) << "one process, one owner of the handlers";
    }
    struct sigaction current = {};
    ::sigaction(SIGTERM, nullptr, &current);
    EXPECT_EQ(current.sa_handler, SIG_DFL);

    // And a new owner can take them again.
    TerminationSignals again;
    EXPECT_TRUE(again.isInstalled());
}
