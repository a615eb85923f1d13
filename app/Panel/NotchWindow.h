#pragma once

#include "Panel/NotchWindowing.h"

#include <QPointer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QString>

class QQmlEngine;

namespace holdra {

class NotchController;
class PanelWindowHints;

// The window of one display: frameless, translucent, above other windows, on
// every workspace and out of the taskbar. It refuses the keyboard focus while the
// capsule is closed and takes it when the panel opens. Closed, the whole window
// is the capsule's trigger; open, its input and drawing area is cut to the
// panel's bottom-rounded outline, so that clicks beside the rounded corners reach
// the window below and without a compositor nothing is drawn there.
class NotchWindow : public QQuickWindow, public NotchWindowing
{
    Q_OBJECT

public:
    // `engine` and `hints` (null without X11) must outlive the window.
    NotchWindow(NotchController &controller, const QString &displayID, QQmlEngine &engine, PanelWindowHints *hints);
    ~NotchWindow() override;

    QString displayID() const { return m_displayID; }
    QQuickItem *rootView() const { return m_root; }

    QRectF frame() const override;
    void setFrame(const QRectF &frame) override;
    bool covers(const QPointF &point) const override;
    void orderFront() override;
    void makeKeyAndOrderFront() override;
    void orderOut() override;

    // The open panel's view is a file of its own; checked once per process.
    static bool isOpenPanelViewAvailable();

protected:
    bool event(QEvent *event) override;

private Q_SLOTS:
    void updateMask();

private:
    // The focused item takes its keys before the panel's key table.
    bool focusOwnsKeys() const;
    // Tells the view where the pointer is now, after the window moved under it.
    void refreshHover();
    void createRootView(QQmlEngine &engine);
    void fitRootView();

    NotchController &m_controller;
    QString m_displayID;
    PanelWindowHints *m_hints;
    QPointer<QQuickItem> m_root;
    bool m_wasActive = false;
};

} // namespace holdra
