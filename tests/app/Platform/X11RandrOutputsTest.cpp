#include "Platform/X11RandrOutputs.h"
#include "Support/DisplayIdentity.h"
#include "XvfbSession.h"

#include <QGuiApplication>
#include <QScreen>
#include <gtest/gtest.h>

using namespace holdra;

TEST(X11RandrOutputsTest, QtsScreensAreNamedAfterOutputsWhoseNumbersIdentifyThem)
{
    HOLDRA_SKIP_WITHOUT_X11();
    const QHash<QString, quint32> outputs = X11RandrOutputs::numbersByName();
    const QString name = QGuiApplication::primaryScreen()->name();
    ASSERT_TRUE(outputs.contains(name)) << name.toStdString();
    EXPECT_NE(outputs.value(name), 0u);

    // Xvfb reports no EDID data: the output number names the display.
    EXPECT_EQ(DisplayIdentity::currentIdentifiers(),
              QStringList{QStringLiteral("runtime-") + QString::number(outputs.value(name))});
}
