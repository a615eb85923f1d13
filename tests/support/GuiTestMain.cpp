#include "SkipsFailInCI.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

// Kit suites measure text and read images, which need a QGuiApplication;
// ctest runs them on the offscreen platform.
int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    holdra::test::SkipsFailInCI::installWhenInCI();
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
