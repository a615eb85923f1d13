#include "App/AppDelegate.h"

#include "TempDir.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace holdra::test {
namespace {

// Launching over fresh data and configuration directories.
class AppDelegateTest : public ::testing::Test
{
protected:
    AppDelegateTest()
    {
        qputenv("XDG_DATA_HOME", m_dir.filePath(u"data"_s).toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", m_dir.filePath(u"config"_s).toLocal8Bit());
    }

    TempDir m_dir;
};

// A launch and its toggles are driven end to end through the real binary;
// here, the refusal that a second binary never reaches (it hands over instead).
TEST_F(AppDelegateTest, ASecondInstanceOverTheSameDataIsRefusedWithAReason)
{
    AppDelegate first;
    ASSERT_TRUE(first.launch()) << first.launchError().toStdString();
    AppDelegate second;
    EXPECT_FALSE(second.launch());
    EXPECT_FALSE(second.launchError().isEmpty());
    EXPECT_EQ(second.notchController(), nullptr);
    EXPECT_EQ(first.store()->count(), 0);
}

} // namespace
} // namespace holdra::test
