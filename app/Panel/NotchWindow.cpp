#include "Panel/NotchWindow.h"

#include "App/AppLogging.h"
#include "Panel/BottomRoundedRectangle.h"
#include "Panel/ModuleViews.h"
#include "Panel/NotchController.h"
#include "Platform/PanelWindowHints.h"
#include "Settings/AppSettings.h"

#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QQmlEngine>
#include <QQmlProperty>
#include <QQuickItem>
#include <QRegion>
#include <QTimer>

namespace holdra {

namespace {

const QString openPanelViewResource = QStringLiteral(":/qt-project.org/imports/Holdra/OpenPanelView.qml");

} // namespace

NotchWindow::NotchWindow(NotchController &controller, const QString &displayID, QQmlEngine &engine,
                         PanelWindowHints *hints)
    : m_controller(controller)
    , m_displayID(displayID)
    , m_hints(hints)
{
    setObjectName(QStringLiteral("NotchWindow ") + displayID);
    setTitle(QStringLiteral("Holdra"));
    setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus
             | Qt::NoDropShadowWindowHint);
    setColor(Qt::transparent);
    if (QScreen *screen = controller.windows().screen(displayID))
        setScreen(screen);
    createRootView(engine);
    connect(this, &QWindow::widthChanged, this, &NotchWindow::fitRootView);
    connect(this, &QWindow::heightChanged, this, &NotchWindow::fitRootView);
    connect(this, &QWindow::activeChanged, this, [this] {
        if (isActive()) {
            m_wasActive = true;
        } else if (m_wasActive) {
            m_wasActive = false;
            m_controller.windows().windowDidLoseFocus(m_displayID);
        }
    });
    if (m_hints) {
        m_hints->apply(this);
        AppSettings &settings = controller.settings();
        m_hints->setAboveFullScreen(this, settings.enableInFullScreen());
        connect(&settings, &AppSettings::enableInFullScreenChanged, this,
                [this](bool enabled) { m_hints->setAboveFullScreen(this, enabled); });
    }
}

NotchWindow::~NotchWindow()
{
    // The view binds to the controller; it must not outlive the window's content.
    delete m_root;
}

bool NotchWindow::isOpenPanelViewAvailable()
{
    static const bool available = [] {
        const bool exists = QFile::exists(openPanelViewResource);
        if (!exists)
            qCWarning(lcViews, "the open panel view is not part of this build; the panel stays empty");
        return exists;
    }();
    return available;
}

void NotchWindow::createRootView(QQmlEngine &engine)
{
    m_root = ModuleViews::make<QQuickItem>(engine, QStringLiteral("NotchRootView"),
                                           {{QStringLiteral("controller"), QVariant::fromValue(&m_controller)},
                                            {QStringLiteral("displayID"), m_displayID},
                                            {QStringLiteral("openPanelAvailable"), isOpenPanelViewAvailable()}})
                 .release();
    if (!m_root)
        return;
    m_root->setParentItem(contentItem());
    m_root->setFocus(true);
    fitRootView();
    QQmlProperty(m_root, QStringLiteral("panelCornerRadius")).connectNotifySignal(this, SLOT(updateMask()));
    updateMask();
}

void NotchWindow::fitRootView()
{
    if (m_root)
        m_root->setSize(QSizeF(width(), height()));
    updateMask();
}

void NotchWindow::updateMask()
{
    const double radius = m_root ? m_root->property("panelCornerRadius").toDouble() : 0;
    if (radius <= 0) {
        // Closed: the whole window takes clicks and drags, drawn capsule or not.
        setMask(QRegion());
        return;
    }
    // Open: without a compositor nothing is drawn in the cut-away corners (no
    // black), and clicks there reach the window below.
    setMask(BottomRoundedRectangle::coveredPixels(size(), radius));
}

QRectF NotchWindow::frame() const
{
    return QRectF(geometry());
}

void NotchWindow::setFrame(const QRectF &frame)
{
    if (frame.isEmpty())
        return;
    const QRect rect = frame.toRect();
    const bool changed = rect != geometry();
    if (changed && QGuiApplication::platformName() == QLatin1String("wayland")) {
        // Wayland compositors tile a toplevel that can be resized and float
        // one of a fixed size (where they like: it cannot ask for a place).
        // They decide when it is first shown; later the size is free again,
        // as fixed sizes keep some from drawing the resized panel.
        constexpr int noLimit = (1 << 24) - 1; // a window's default maximum in Qt
        const bool mapped = isVisible();
        setMinimumSize(mapped ? QSize(0, 0) : rect.size());
        setMaximumSize(mapped ? QSize(noLimit, noLimit) : rect.size());
    }
    if (changed)
        setGeometry(rect);
    // Sizes the view at once; the resize event from the server may come later.
    fitRootView();
    if (changed)
        QTimer::singleShot(0, this, &NotchWindow::refreshHover);
}

bool NotchWindow::covers(const QPointF &point) const
{
    const QRectF rect = frame();
    if (!rect.contains(point))
        return false;
    const QRegion shape = mask();
    return shape.isEmpty() || shape.contains((point - rect.topLeft()).toPoint());
}

void NotchWindow::refreshHover()
{
    // Qt Quick keeps the pointer's last position in window coordinates, so a
    // window that grows under a still pointer would hover whatever now lies at
    // that old spot (the panel's first buttons, with their tooltips).
    if (QGuiApplication::mouseButtons() != Qt::NoButton || !isVisible())
        return;
    const QPoint global = QCursor::pos(screen());
    const QPointF local = QPointF(mapFromGlobal(global));
    if (QRectF(QPointF(0, 0), QSizeF(size())).contains(local)) {
        QMouseEvent move(QEvent::MouseMove, local, QPointF(global), Qt::NoButton, Qt::NoButton,
                         QGuiApplication::keyboardModifiers());
        QCoreApplication::sendEvent(this, &move);
    } else {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(this, &leave);
    }
}

void NotchWindow::orderFront()
{
    m_wasActive = false;
    if (m_hints)
        m_hints->setTakesKeyboard(this, false);
    setFlag(Qt::WindowDoesNotAcceptFocus, true);
    if (!isVisible())
        show();
    raise();
}

void NotchWindow::makeKeyAndOrderFront()
{
    if (m_hints)
        m_hints->setTakesKeyboard(this, true);
    setFlag(Qt::WindowDoesNotAcceptFocus, false);
    if (!isVisible())
        show();
    raise();
    requestActivate();
}

void NotchWindow::orderOut()
{
    m_wasActive = false;
    hide();
}

bool NotchWindow::focusOwnsKeys() const
{
    for (QQuickItem *item = activeFocusItem(); item; item = item->parentItem()) {
        // A text field, or anything on an open sheet or menu.
        if (item->flags().testFlag(QQuickItem::ItemAcceptsInputMethod) || item->inherits("QQuickPopupItem"))
            return true;
    }
    return false;
}

bool NotchWindow::event(QEvent *event)
{
    // The panel's key table comes before the list and the panel's buttons, as a
    // key monitor would; a text field or a sheet has its keys to itself (the
    // quick-entry field hands Escape and Return on by itself).
    if (event->type() == QEvent::KeyPress && !focusOwnsKeys()) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (m_controller.handleKey(key->key(), int(key->modifiers()), key->text())) {
            key->accept();
            return true;
        }
    }
    return QQuickWindow::event(event);
}

} // namespace holdra
