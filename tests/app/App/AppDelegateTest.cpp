#include "App/AppDelegate.h"

#include "Notch/NotchController.h"
#include "TempDir.h"

#include <QTest>
#include <gtest/gtest.h>

namespace holdra::test {
namespace {

// Launching over fresh data and configuration directories.
class AppDelegateTest : public ::testing::Test
{
protected:
    AppDelegateTest()
    {
        qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("data")).toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toLocal8Bit());
    }

    TempDir m_dir;
};

TEST_F(AppDelegateTest, LaunchBuildsTheCapsuleAndTheTogglesWork)
{
    AppDelegate delegate;
    ASSERT_TRUE(delegate.launch()) << delegate.launchError().toStdString();
    NotchController *controller = delegate.notchController();
    ASSERT_NE(controller, nullptr);
    EXPECT_EQ(controller->windows().windowDisplayIDs().size(), 1) << "one capsule on the offscreen display";
    // The tray and the update schedule follow the capsule's first frame.
    EXPECT_TRUE(QTest::qWaitFor([&] { return delegate.isLaunchFinished(); }, 5000));

    delegate.togglePanel();
    EXPECT_TRUE(controller->isOpen());
    delegate.togglePanelUnderPointer();
    EXPECT_FALSE(controller->isOpen()) << "the hot key closes wherever the pointer is";
}

TEST_F(AppDelegateTest, ASecondInstanceOverTheSameDataIsRefusedWithAReason)
{
    AppDelegate first;
    ASSERT_TRUE(first.launch());
    AppDelegate second;
    EXPECT_FALSE(second.launch());
    EXPECT_FALSE(second.launchError().isEmpty());
    EXPECT_EQ(second.notchController(), nullptr);
    EXPECT_EQ(first.store()->count(), 0);
}

} // namespace
} // namespace holdra::test
