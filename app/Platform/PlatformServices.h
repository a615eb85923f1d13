#pragma once

#include "Audio/VoiceRecorder.h"
#include "Platform/AudioModule.h"

#include <functional>
#include <memory>
#include <optional>

class QObject;

namespace holdra {

class HotKeyBackend;
class OutsideClickMonitor;
class PanelWindowHints;
class WindowListSource;

// The desktop's services as the application uses them, made for the session
// it runs in: X11's when Qt runs on xcb, doing nothing otherwise (a Wayland
// session reaches its hot key through the desktop portal either way). Sounds,
// recording and playback come from the audio module, loaded on first use.
class PlatformServices
{
public:
    using KeycodeMap = std::function<std::optional<quint32>(quint32 keycode)>;
    using WindowListFactory = std::function<std::unique_ptr<WindowListSource>()>;

    // X11's services on the xcb platform, the inert ones otherwise.
    static std::unique_ptr<PlatformServices> make(QString audioModulePath = {});
    virtual ~PlatformServices();

    // Presses outside the panel (never reported where the window system tells nothing of them).
    virtual OutsideClickMonitor *makeOutsideClickMonitor(QObject *parent) = 0;
    // The hot key across the desktop: the portal in a Wayland session, else a grab.
    std::unique_ptr<HotKeyBackend> makeHotKeyBackend();
    // The symbol on a key's first level, as the shortcut recorder names keys.
    virtual KeycodeMap keycodeMap() const = 0;
    // Hints for the capsule's and the panel's windows; lives as long as this.
    virtual PanelWindowHints &windowHints() = 0;
    // Makes, on the thread that reads it, the window list full-screen detection
    // follows; empty where no list tells which windows cover a display.
    virtual WindowListFactory windowListFactory() const = 0;

    SystemSound &sound() { return m_audio; }
    AudioModule &audio() { return m_audio; }

protected:
    explicit PlatformServices(QString audioModulePath);
    virtual std::unique_ptr<HotKeyBackend> makeKeyGrab() = 0;

private:
    AudioModule m_audio;
};

} // namespace holdra
