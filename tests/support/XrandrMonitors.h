#pragma once

#include <QProcess>
#include <QRect>
#include <QString>

namespace holdra::test {

// Splits the test X server's one screen into monitors (RandR 1.5), as a
// desktop with several displays has them; Qt reports each as a QScreen with
// the monitor's name and no EDID data. Needs xrandr and $DISPLAY.
namespace XrandrMonitors {

inline bool xrandr(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("xrandr"), arguments);
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// `native` in the server's pixels. Xvfb's only output is "screen": the monitor
// that takes it replaces the one RandR makes of the whole screen.
inline bool set(const QString &name, const QRect &native, bool primary, bool takesTheOutput)
{
    const QString geometry = QStringLiteral("%1/%2x%3/%4+%5+%6")
                                 .arg(native.width())
                                 .arg(native.width() / 4)
                                 .arg(native.height())
                                 .arg(native.height() / 4)
                                 .arg(native.x())
                                 .arg(native.y());
    return xrandr({QStringLiteral("--setmonitor"), (primary ? QStringLiteral("*") : QString()) + name, geometry,
                   takesTheOutput ? QStringLiteral("screen") : QStringLiteral("none")});
}

inline bool remove(const QString &name)
{
    return xrandr({QStringLiteral("--delmonitor"), name});
}

// The two 1920 × 1080 monitors of the display suites: "left" (primary) and "right".
inline constexpr QRect left{0, 0, 1920, 1080};
inline constexpr QRect right{1920, 0, 1920, 1080};

inline bool splitIntoLeftAndRight()
{
    return set(QStringLiteral("left"), left, true, true) && set(QStringLiteral("right"), right, false, false);
}

} // namespace XrandrMonitors
} // namespace holdra::test
