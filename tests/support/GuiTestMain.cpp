#include "SkipsFailInCI.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

// Kit suites measure text and read images, which need a QGuiApplication;
// ctest runs them on the offscreen platform.
int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    holdra::test::SkipsFailInCI::installWhenInCI();
    // Listing the cases (ctest's discovery at build time) needs no display.
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
