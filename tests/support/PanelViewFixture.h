#pragma once

#include "../app/Panel/ControllerFixture.h"
#include "App/SymbolImageProvider.h"
#include "App/ThumbnailImageProvider.h"
#include "Panel/NotchWindow.h"

#include <QQmlEngine>
#include <QQmlProperty>
#include <QQuickItem>
#include <QSignalSpy>

#include <algorithm>

namespace holdra::test {

// Shown on screen: the item and every item above it are visible.
inline bool effectivelyVisible(const QQuickItem *item)
{
    for (; item; item = item->parentItem()) {
        if (!item->isVisible())
            return false;
    }
    return true;
}

// The views as the application shows them: the controller's fixture with the
// windows the application makes (NotchWindow) on one engine with its image
// providers, so that views, focus and key routing are what ships. Only display
// "A" is connected. The finders look in `scene()`: the panel's window unless a
// test sets m_scene (the settings window).
class PanelViewFixture : public ControllerFixture
{
protected:
    PanelViewFixture()
    {
        m_displays = {display(u"A"_s, {0, 0, 1920, 1080}, 27)};
        m_engine.addImageProvider(u"symbol"_s, new SymbolImageProvider);
        m_engine.addImageProvider(u"thumbnail"_s, new ThumbnailImageProvider);
        m_makeWindow = [this](NotchController &controller, const QString &id) {
            return std::make_unique<NotchWindow>(controller, id, m_engine, nullptr);
        };
    }
    // The windows and their views go before the engine that made them.
    ~PanelViewFixture() override { m_controller.reset(); }

    NotchWindow *window(const QString &displayID = u"A"_s) const
    {
        return m_controller ? static_cast<NotchWindow *>(m_controller->windows().window(displayID)) : nullptr;
    }
    QQuickWindow *scene() const { return m_scene ? m_scene : window(); }

    // Opens the panel on "A", `width` points wide, and waits until it is shown
    // with the keyboard focus; null when it did not come.
    QQuickItem *openPanel(double width = 400)
    {
        m_settings.setPanelWidth(width);
        controller().open(u"A"_s);
        if (!window() || !QTest::qWaitForWindowExposed(window()))
            return nullptr;
        const bool ready = waitFor([&] { return window()->isActive() && root() && root()->hasActiveFocus(); });
        return ready ? root() : nullptr;
    }

    // The open panel's view on "A", or the capsule's while closed.
    QQuickItem *root() const
    {
        QQuickItem *rootView = window() ? window()->rootView() : nullptr;
        return rootView ? QQmlProperty::read(rootView, u"shownView"_s).value<QQuickItem *>() : nullptr;
    }

    // The items of the scene called `name`, top to bottom: list rows, menus
    // and sheets included, which are not QObject children of the root.
    QList<QQuickItem *> allItems(const QString &name, QQuickItem *under = nullptr) const
    {
        QList<QQuickItem *> out;
        std::function<void(QQuickItem *)> walk = [&](QQuickItem *item) {
            if (item->objectName() == name)
                out.append(item);
            for (QQuickItem *child : item->childItems())
                walk(child);
        };
        if (QQuickItem *top = under ? under : scene() ? scene()->contentItem() : nullptr)
            walk(top);
        std::stable_sort(out.begin(), out.end(), [](QQuickItem *a, QQuickItem *b) {
            return a->mapToScene(QPointF()).y() < b->mapToScene(QPointF()).y();
        });
        return out;
    }
    QQuickItem *find(const QString &name) const { return allItems(name).value(0); }
    QList<QQuickItem *> visibleItems(const QString &name) const
    {
        QList<QQuickItem *> out = allItems(name);
        out.removeIf([](QQuickItem *item) { return !effectivelyVisible(item); });
        return out;
    }
    QStringList visibleTexts(const QString &name) const
    {
        QStringList out;
        for (QQuickItem *item : visibleItems(name))
            out.append(item->property("text").toString());
        return out;
    }
    QString text(const QString &name) const { return property(name, "text"); }
    bool isShown(const QString &name) const { return !visibleItems(name).isEmpty(); }
    // Which of `names` are shown, in the order given: one comparison for a whole state.
    QStringList shownAmong(const QStringList &names) const
    {
        QStringList shown;
        for (const QString &name : names) {
            if (isShown(name))
                shown.append(name);
        }
        return shown;
    }
    QString property(const QString &name, const char *property) const
    {
        QQuickItem *item = find(name);
        return item ? item->property(property).toString() : u"<missing "_s + name + u'>';
    }

    // Clicks the middle of `item` once a drawn frame shows it inside the window,
    // scrolling a list or form that hides it first.
    [[nodiscard]] ::testing::AssertionResult click(QQuickItem *item, Qt::MouseButton button = Qt::LeftButton,
                                                   Qt::KeyboardModifiers modifiers = {}) const
    {
        if (!item || !scene())
            return ::testing::AssertionFailure() << "nothing to click";
        for (QQuickItem *p = item->parentItem(); p; p = p->parentItem()) {
            if (!p->inherits("QQuickFlickable"))
                continue;
            const double y = item->mapToItem(p, QPointF()).y();
            if (y < 0 || y + item->height() > p->height())
                p->setProperty("contentY", qMax(0.0, p->property("contentY").toDouble() + y - p->height() / 3));
            break;
        }
        const auto centre = [&] { return item->mapToScene(QPointF(item->width() / 2, item->height() / 2)); };
        const bool ready = waitFor([&] {
            QSignalSpy frames(scene(), &QQuickWindow::frameSwapped);
            scene()->update();
            return frames.wait(1000) && effectivelyVisible(item) && item->width() > 0 && item->height() > 0
                && QRectF(QPointF(), QSizeF(scene()->size())).contains(centre());
        });
        if (!ready)
            return ::testing::AssertionFailure() << qPrintable(item->objectName()) << " is not on screen";
        QTest::mouseClick(scene(), button, modifiers, centre().toPoint());
        return ::testing::AssertionSuccess();
    }
    // Clicks the first visible item called `name`, waiting for it to appear.
    [[nodiscard]] ::testing::AssertionResult click(const QString &name, Qt::MouseButton button = Qt::LeftButton) const
    {
        if (!waitFor([&] { return isShown(name); }))
            return ::testing::AssertionFailure() << qPrintable(name) << " never showed";
        return click(visibleItems(name).value(0), button);
    }
    // A key as the window system delivers it: shortcuts first, then the window.
    void key(int key, Qt::KeyboardModifiers modifiers = {}) const { QTest::keyClick(scene(), Qt::Key(key), modifiers); }
    // Types `text` as key presses into whatever has the focus.
    void typeText(const QString &text) const
    {
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::KeyAction::Click, scene(), Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    bool focusIsIn(const QString &name) const
    {
        QQuickItem *focus = scene() ? scene()->activeFocusItem() : nullptr;
        return focus && focus->objectName() == name;
    }

    QQmlEngine m_engine;
    QQuickWindow *m_scene = nullptr;
};

} // namespace holdra::test
