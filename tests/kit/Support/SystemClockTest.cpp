#include "Support/SystemClock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <memory>

using namespace holdra;
using namespace std::chrono_literals;

TEST(SystemClockTest, RunsCallsFromTheEventLoopWhileTheirContextLives)
{
    SystemClock clock;
    QObject context;
    auto doomed = std::make_unique<QObject>();
    bool ran = false;
    bool ranDoomed = false;
    clock.runAfter(0ms, &context, [&] { ran = true; });
    clock.runAfter(0ms, doomed.get(), [&] { ranDoomed = true; });
    EXPECT_FALSE(ran) << "a zero delay must still wait for the event loop";
    doomed.reset();

    QElapsedTimer waited;
    waited.start();
    while (!ran && waited.elapsed() < 5000)
        QCoreApplication::processEvents();
    EXPECT_TRUE(ran);
    EXPECT_FALSE(ranDoomed);
    EXPECT_GE(clock.now(), 0ms);
}
