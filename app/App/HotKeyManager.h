#pragma once

#include "HotKey/GlobalHotKey.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <memory>

namespace holdra {

class AppSettings;
class HotKeyBackend;

// Keeps the settings' hot key bound and reports its presses. On an X11
// desktop the key is grabbed on the X server; in a Wayland session, where an
// X11 grab only sees X11 windows, the desktop binds it through its
// GlobalShortcuts portal. Every change of the setting replaces the binding.
// While suspended (the settings window is recording a new shortcut) presses are
// not reported, so the current shortcut reaches the recorder instead.
class HotKeyManager : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The application owns the hot key.")
    Q_PROPERTY(bool registered READ isRegistered NOTIFY registrationChanged)
    Q_PROPERTY(QString registrationFailureText READ registrationFailureText NOTIFY registrationChanged)
    Q_PROPERTY(QString bindingText READ bindingText NOTIFY registrationChanged)
    Q_PROPERTY(bool suspended READ isSuspended WRITE setSuspended NOTIFY suspendedChanged)

public:
    // Follows `settings` from now on and registers its current hot key through
    // `backend`, the mechanism this session offers (PlatformServices::makeHotKeyBackend).
    HotKeyManager(AppSettings *settings, std::unique_ptr<HotKeyBackend> backend, QObject *parent = nullptr);
    ~HotKeyManager() override;

    // Replaces the registration by `hotKey`; remembered, but not bound, while suspended.
    void registerHotKey(const holdra::GlobalHotKey &hotKey);

    GlobalHotKey hotKey() const { return m_hotKey; }
    bool isRegistered() const;
    // Empty while the hot key works (or nothing was tried yet); else why it does not.
    QString registrationFailureText() const;
    // The binding as the desktop reports it, when the desktop owns the binding.
    QString bindingText() const;

    bool isSuspended() const { return m_suspended; }
    Q_INVOKABLE void setSuspended(bool suspended);

Q_SIGNALS:
    void hotKeyPressed();
    void registrationChanged();
    void suspendedChanged(bool suspended);

private:
    void apply();

    QPointer<AppSettings> m_settings;
    std::unique_ptr<HotKeyBackend> m_backend;
    GlobalHotKey m_hotKey = GlobalHotKey::defaultHotKey();
    bool m_suspended = false;
};

} // namespace holdra
