#include "Platform/PlatformServices.h"

#include "Platform/DisplayServerProbe.h"
#include "Platform/PlatformLogging.h"
#include "Platform/PortalGlobalShortcuts.h"
#include "Platform/X11HotKeyBackend.h"
#include "Platform/X11HotKeyGrabber.h"
#include "Platform/X11PanelWindowHints.h"
#include "Platform/X11RawButtonMonitor.h"
#include "Platform/X11Session.h"
#include "Platform/X11WindowListWatcher.h"

#include <QDBusConnection>

#include <utility>

namespace holdra {

namespace {

class X11PlatformServices : public PlatformServices
{
public:
    explicit X11PlatformServices(QString audioModulePath)
        : PlatformServices(std::move(audioModulePath))
    {
    }

    OutsideClickMonitor *makeOutsideClickMonitor(QObject *parent) override { return new X11RawButtonMonitor(parent); }
    KeycodeMap keycodeMap() const override { return &X11HotKeyGrabber::unshiftedKeysym; }
    PanelWindowHints &windowHints() override { return m_hints; }
    WindowListFactory windowListFactory() const override
    {
        // In a Wayland session the X11 window list holds only XWayland's
        // windows, with no word of which are on screen: the capsule is never
        // hidden on that (the start-up notice says detection is off).
        if (DisplayServerProbe::isWaylandSession())
            return {};
        return [] { return std::make_unique<X11WindowListWatcher>(); };
    }

protected:
    std::unique_ptr<HotKeyBackend> makeKeyGrab() override { return std::make_unique<X11HotKeyBackend>(); }

private:
    X11PanelWindowHints m_hints;
};

// A window system Holdra has no adapters for (native Wayland, offscreen).
class NullPanelWindowHints : public PanelWindowHints
{
public:
    void apply(QWindow *) override {}
    void setTakesKeyboard(QWindow *, bool) override {}
    void setAboveFullScreen(QWindow *, bool) override {}
};

class NullOutsideClickMonitor : public OutsideClickMonitor
{
public:
    using OutsideClickMonitor::OutsideClickMonitor;
    bool isAvailable() const override { return false; }
    void start() override {}
    void stop() override {}
};

class NullHotKeyBackend : public HotKeyBackend
{
public:
    NullHotKeyBackend()
    {
        qCWarning(lcHotKey).noquote() << X11Session::unavailableMessage(QStringLiteral("the global hot key is off"));
    }
    void bind(const GlobalHotKey &) override { Q_EMIT stateChanged(); }
    void release() override { Q_EMIT stateChanged(); }
    bool isBound() const override { return false; }
    QString failureText() const override { return QStringLiteral("当前桌面不支持全局快捷键"); }
};

class NullPlatformServices : public PlatformServices
{
public:
    explicit NullPlatformServices(QString audioModulePath)
        : PlatformServices(std::move(audioModulePath))
    {
    }

    OutsideClickMonitor *makeOutsideClickMonitor(QObject *parent) override
    {
        return new NullOutsideClickMonitor(parent);
    }
    KeycodeMap keycodeMap() const override
    {
        return [](quint32) { return std::optional<quint32>(); };
    }
    PanelWindowHints &windowHints() override { return m_hints; }
    WindowListFactory windowListFactory() const override
    {
        if (!DisplayServerProbe::isWaylandSession())
            qCWarning(lcX11).noquote() << X11Session::unavailableMessage(
                QStringLiteral("full-screen detection is off"));
        return {};
    }

protected:
    std::unique_ptr<HotKeyBackend> makeKeyGrab() override { return std::make_unique<NullHotKeyBackend>(); }

private:
    NullPanelWindowHints m_hints;
};

} // namespace

PlatformServices::PlatformServices(QString audioModulePath)
    : m_audio(std::move(audioModulePath))
{
}

PlatformServices::~PlatformServices() = default;

std::unique_ptr<PlatformServices> PlatformServices::make(QString audioModulePath)
{
    if (X11Session::isAvailable())
        return std::make_unique<X11PlatformServices>(std::move(audioModulePath));
    return std::make_unique<NullPlatformServices>(std::move(audioModulePath));
}

std::unique_ptr<HotKeyBackend> PlatformServices::makeHotKeyBackend()
{
    if (DisplayServerProbe::isWaylandSession())
        return std::make_unique<PortalGlobalShortcuts>(QDBusConnection::sessionBus());
    return makeKeyGrab();
}

} // namespace holdra
