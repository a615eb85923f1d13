#include "App/HotKeyManager.h"

#include "App/AppLogging.h"
#include "Platform/X11HotKeyGrabber.h"
#include "Settings/AppSettings.h"

#include <QDebug>

namespace holdra {

namespace {

// The X error a server gives for a key it cannot grab (BadValue); used, too, when
// the key is on no key of the current keyboard map, so the log always has a code.
constexpr int badValue = 2;
constexpr int badAccess = 10;

} // namespace

HotKeyManager::HotKeyManager(AppSettings *settings, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_grabber(new X11HotKeyGrabber(this))
{
    connect(m_grabber, &X11HotKeyGrabber::activated, this, &HotKeyManager::hotKeyPressed);
    if (settings) {
        connect(settings, &AppSettings::hotKeyChanged, this, &HotKeyManager::registerHotKey);
        registerHotKey(settings->hotKey());
    }
}

HotKeyManager::~HotKeyManager() = default;

void HotKeyManager::registerHotKey(const GlobalHotKey &hotKey)
{
    m_hotKey = hotKey;
    apply();
}

bool HotKeyManager::isRegistered() const
{
    return m_grabber->isGrabbed();
}

void HotKeyManager::setSuspended(bool suspended)
{
    if (m_suspended == suspended)
        return;
    m_suspended = suspended;
    apply();
    Q_EMIT suspendedChanged(suspended);
}

void HotKeyManager::apply()
{
    m_grabber->ungrab();
    if (m_suspended) {
        Q_EMIT registrationChanged();
        return;
    }
    const std::optional<quint32> keysym = m_hotKey.x11Keysym();
    if (!keysym) {
        // A stored code (from another machine, or an edited file) that no Linux key has.
        m_grabber->ungrab();
        qCWarning(lcHotKey).noquote() << QStringLiteral("[Holdra] 快捷键注册失败：status=%1").arg(badValue);
        setFailure(QStringLiteral("快捷键注册失败：键码 %1 在这里没有对应的键").arg(m_hotKey.keyCode()));
        return;
    }
    const X11HotKeyGrabber::Result result = m_grabber->grab(*keysym, quint16(m_hotKey.x11ModifierMask()));

    switch (result.status) {
    case X11HotKeyGrabber::Result::Grabbed:
        qCDebug(lcHotKey).noquote() << "registered" << m_hotKey.displayString();
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

void HotKeyManager::setFailure(const QString &text)
{
    m_failureText = text;
    Q_EMIT registrationChanged();
}

} // namespace holdra
