#include "Platform/X11HotKeyBackend.h"

#include "Platform/PlatformLogging.h"

#include "Platform/X11HotKeyGrabber.h"

#include <QDebug>

namespace holdra {

namespace {

// The X error a server gives for a key it cannot grab (BadValue); used, too, when
// the key is on no key of the current keyboard map, so the log always has a code.
constexpr int badValue = 2;
constexpr int badAccess = 10;

} // namespace

X11HotKeyBackend::X11HotKeyBackend(QObject *parent)
    : HotKeyBackend(parent)
    , m_grabber(new X11HotKeyGrabber(this))
{
    connect(m_grabber, &X11HotKeyGrabber::activated, this, &HotKeyBackend::activated);
}

X11HotKeyBackend::~X11HotKeyBackend() = default;

bool X11HotKeyBackend::isBound() const
{
    return m_grabber->isGrabbed();
}

void X11HotKeyBackend::release()
{
    m_grabber->ungrab();
    Q_EMIT stateChanged();
}

void X11HotKeyBackend::bind(const GlobalHotKey &hotKey)
{
    m_grabber->ungrab();
    const std::optional<quint32> keysym = hotKey.x11Keysym();
    if (!keysym) {
        // A stored code (from another machine, or an edited file) that no Linux key has.
        qCWarning(lcHotKey).noquote() << QStringLiteral("[Holdra] 快捷键注册失败：status=%1").arg(badValue);
        setFailure(QStringLiteral("快捷键注册失败：键码 %1 在这里没有对应的键").arg(hotKey.keyCode()));
        return;
    }
    const X11HotKeyGrabber::Result result = m_grabber->grab(*keysym, quint16(hotKey.x11ModifierMask()));
    switch (result.status) {
    case X11HotKeyGrabber::Result::Grabbed:
        qCDebug(lcHotKey).noquote() << "registered" << hotKey.displayString();
        setFailure({});
        return;
    case X11HotKeyGrabber::Result::Unavailable:
        // The grabber has said once that there is no X server; there is nothing to retry.
        setFailure(QStringLiteral("当前桌面不支持全局快捷键"));
        return;
    case X11HotKeyGrabber::Result::UnknownKey:
        qCWarning(lcHotKey).noquote() << QStringLiteral("[Holdra] 快捷键注册失败：status=%1").arg(badValue);
        // The keysym is on no key of the current keyboard layout.
        setFailure(QStringLiteral("快捷键注册失败：当前键盘上没有这个键"));
        return;
    case X11HotKeyGrabber::Result::Failed:
        qCWarning(lcHotKey).noquote() << QStringLiteral("[Holdra] 快捷键注册失败：status=%1").arg(result.errorCode);
        setFailure(result.errorCode == badAccess ? QStringLiteral("快捷键注册失败：已被其他程序占用")
                                                 : QStringLiteral("快捷键注册失败"));
        return;
    }
}

void X11HotKeyBackend::setFailure(const QString &text)
{
    m_failureText = text;
    Q_EMIT stateChanged();
}

} // namespace holdra
