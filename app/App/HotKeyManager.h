#pragma once

#include "HotKey/GlobalHotKey.h"

#include <QObject>
#include <QPointer>
#include <QString>

namespace holdra {

class AppSettings;
class X11HotKeyGrabber;

// Keeps the settings' hot key grabbed on the X server and reports its presses.
// Every change of the setting replaces the grab. While suspended (the settings
// window is recording a new shortcut) nothing is grabbed, so the current
// shortcut reaches the recorder instead of toggling the panel.
class HotKeyManager : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool registered READ isRegistered NOTIFY registrationChanged)
    Q_PROPERTY(QString registrationFailureText READ registrationFailureText NOTIFY registrationChanged)
    Q_PROPERTY(bool suspended READ isSuspended WRITE setSuspended NOTIFY suspendedChanged)

public:
    // Follows `settings` from now on and registers its current hot key.
    explicit HotKeyManager(AppSettings *settings, QObject *parent = nullptr);
    ~HotKeyManager() override;

    // Replaces the registration by `hotKey`; remembered, but not grabbed, while suspended.
    void registerHotKey(const holdra::GlobalHotKey &hotKey);

    GlobalHotKey hotKey() const { return m_hotKey; }
    bool isRegistered() const;
    // Empty while the hot key works (or nothing was tried yet); else why it does not.
    QString registrationFailureText() const { return m_failureText; }

    bool isSuspended() const { return m_suspended; }
    Q_INVOKABLE void setSuspended(bool suspended);

Q_SIGNALS:
    void hotKeyPressed();
    void registrationChanged();
    void suspendedChanged(bool suspended);

private:
    void apply();
    void setFailure(const QString &text);

    QPointer<AppSettings> m_settings;
    X11HotKeyGrabber *m_grabber = nullptr;
    GlobalHotKey m_hotKey = GlobalHotKey::defaultHotKey();
    QString m_failureText;
    bool m_suspended = false;
};

} // namespace holdra
