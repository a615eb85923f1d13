#pragma once

#include <QProcess>
#include <QRect>
#include <QString>

namespace holdra::test {

// Splits the test X server's one screen into monitors (RandR 1.5), as a
// desktop with several displays has them; Qt reports each as a QScreen with
// the monitor's name and no EDID data. Needs xrandr and $DISPLAY.
namespace XrandrMonitors {

using namespace Qt::StringLiterals;

inline bool xrandr(const QStringList &arguments)
{
    QProcess process;
    process.start(u"xrandr"_s, arguments);
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// `native` in the server's pixels. Xvfb's only output is "screen": the monitor
// that takes it replaces the one RandR makes of the whole screen.
inline bool set(const QString &name, const QRect &native, bool primary, bool takesTheOutput)
{
    const QString geometry = QString::asprintf("%d/%dx%d/%d+%d+%d", native.width(), native.width() / 4, native.height(),
                                               native.height() / 4, native.x(), native.y());
    return xrandr(
        {u"--setmonitor"_s, (primary ? u"*"_s : QString()) + name, geometry, takesTheOutput ? u"screen"_s : u"none"_s});
}

inline bool remove(const QString &name)
{
    return xrandr({u"--delmonitor"_s, name});
}

// The two 1920 × 1080 monitors of the display suites: "left" (primary) and "right".
inline constexpr QRect left{0, 0, 1920, 1080};
inline constexpr QRect right{1920, 0, 1920, 1080};

inline bool splitIntoLeftAndRight()
{
    return set(u"left"_s, left, true, true) && set(u"right"_s, right, false, false);
}

} // namespace XrandrMonitors
} // namespace holdra::test
