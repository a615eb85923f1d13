#pragma once

#include "Platform/HotKeyBackend.h"

namespace holdra {

class X11HotKeyGrabber;

// The hot key as a passive grab on the X server: global on an X11 desktop,
// only while an X11 window has the focus under XWayland.
class X11HotKeyBackend : public HotKeyBackend
{
    Q_OBJECT

public:
    explicit X11HotKeyBackend(QObject *parent = nullptr);
    ~X11HotKeyBackend() override;

    void bind(const GlobalHotKey &hotKey) override;
    void release() override;
    bool isBound() const override;
    QString failureText() const override { return m_failureText; }

private:
    void setFailure(const QString &text);

    X11HotKeyGrabber *m_grabber = nullptr;
    QString m_failureText;
};

} // namespace holdra
