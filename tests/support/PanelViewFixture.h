#pragma once

#include "App/SymbolImageProvider.h"
#include "App/ThumbnailImageProvider.h"
#include "FakeAudioPlayer.h"
#include "ManualClock.h"
#include "Panel/NotchController.h"
#include "Panel/NotchWindow.h"
#include "Panel/StashItemPresentation.h"
#include "QuickItems.h"
#include "Settings/AppSettings.h"
#include "Settings/InMemoryUserDefaults.h"
#include "StoreFixture.h"

#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QQmlEngine>
#include <QQmlProperty>
#include <QQuickItem>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace holdra::test {

// The real controller over a real store, with the windows the application
// makes (NotchWindow), so that views, focus and key routing are what ships.
// Display "A" is 1920 × 1080 with a 27-point top panel; a test may change
// m_displays before the controller is first used.
class PanelViewFixture : public StoreFixture
{
protected:
    static constexpr int waitLimitMs = 10000;

    PanelViewFixture()
    {
        // Symbols fall back to the icon theme. The offscreen platform knows no
        // desktop, so point it at the system's themes as a desktop session would.
        if (QIcon::themeName().isEmpty() || QIcon::themeName() == QStringLiteral("hicolor")) {
            QStringList paths = QIcon::themeSearchPaths();
            for (const QString &data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
                paths.append(data + QStringLiteral("/icons"));
            QIcon::setThemeSearchPaths(paths);
            QIcon::setThemeName(QStringLiteral("Adwaita"));
        }
        m_displays = {display(QStringLiteral("A"), QRectF(0, 0, 1920, 1080), 27)};
        // The engine owns the provider, as the application's does.
        m_engine.addImageProvider(QStringLiteral("symbol"), new SymbolImageProvider);
        m_engine.addImageProvider(QStringLiteral("thumbnail"), new ThumbnailImageProvider);
    }
    ~PanelViewFixture() override
    {
        // The windows and their views go before the engine that made them.
        m_controller.reset();
    }

    static NotchDisplay display(const QString &id, const QRectF &geometry, double topPanel)
    {
        NotchDisplay d;
        d.id = id;
        d.geometry = geometry;
        d.availableGeometry = geometry.adjusted(0, topPanel, 0, 0);
        return d;
    }

    NotchController &controller()
    {
        if (!m_controller) {
            if (!m_store)
                openStore();
            NotchController::Environment env;
            env.displays = [this] { return m_displays; };
            env.makeWindow = [this](NotchController &controller, const QString &id) {
                return std::make_unique<NotchWindow>(controller, id, m_engine, nullptr);
            };
            env.clock = &m_clock;
            env.playSound = [this](SystemSound::Sound sound) { m_sounds.append(sound); };
            env.loadAudioPlayer = [state = m_audioState](const QUrl &, QObject *,
                                                         std::function<void(std::unique_ptr<AudioPlaying>)> loaded) {
                loaded(std::make_unique<FakeAudioPlayer>(state));
            };
            m_controller = std::make_unique<NotchController>(*m_store, m_settings, std::move(env));
        }
        return *m_controller;
    }

    NotchWindow *window(const QString &displayID = QStringLiteral("A")) const
    {
        return m_controller ? static_cast<NotchWindow *>(m_controller->windows().window(displayID)) : nullptr;
    }

    // Opens the panel on "A", `width` points wide, and waits until it is shown
    // with the keyboard focus; null when it did not come.
    QQuickItem *openPanel(double width = 400)
    {
        m_settings.setPanelWidth(width);
        controller().open(QStringLiteral("A"));
        NotchWindow *shown = window();
        if (!shown || !QTest::qWaitForWindowExposed(shown))
            return nullptr;
        const bool ready = waitFor([&] { return shown->isActive() && root() != nullptr && root()->hasActiveFocus(); });
        EXPECT_TRUE(ready) << "active " << shown->isActive() << ", panel " << (root() != nullptr) << ", focus "
                           << (shown->activeFocusItem()
                                   ? qPrintable(shown->activeFocusItem()->metaObject()->className())
                                   : "none");
        return ready ? root() : nullptr;
    }

    // The open panel's view on "A", or the capsule's while closed.
    QQuickItem *root() const
    {
        NotchWindow *shown = window();
        QQuickItem *rootView = shown ? shown->rootView() : nullptr;
        return rootView ? QQmlProperty::read(rootView, QStringLiteral("shownView")).value<QQuickItem *>() : nullptr;
    }

    // Every item of the window's scene called `name`: list rows and popups
    // included, which are not QObject children of the root.
    QList<QQuickItem *> allItems(const QString &name) const
    {
        QList<QQuickItem *> out;
        NotchWindow *shown = window();
        if (!shown)
            return out;
        std::function<void(QQuickItem *)> walk = [&](QQuickItem *item) {
            if (item->objectName() == name)
                out.append(item);
            for (QQuickItem *child : item->childItems())
                walk(child);
        };
        walk(shown->contentItem());
        return out;
    }
    QQuickItem *find(const QString &name) const { return allItems(name).value(0); }
    // The visible items called `name`, top to bottom.
    QList<QQuickItem *> visibleItems(const QString &name) const
    {
        QList<QQuickItem *> out;
        for (QQuickItem *item : allItems(name)) {
            if (effectivelyVisible(item))
                out.append(item);
        }
        std::sort(out.begin(), out.end(), [](QQuickItem *a, QQuickItem *b) {
            return a->mapToScene(QPointF()).y() < b->mapToScene(QPointF()).y();
        });
        return out;
    }
    QStringList visibleTexts(const QString &name) const
    {
        QStringList out;
        for (QQuickItem *item : visibleItems(name))
            out.append(item->property("text").toString());
        return out;
    }
    QString text(const QString &name) const
    {
        QQuickItem *item = find(name);
        return item ? item->property("text").toString() : QStringLiteral("<missing %1>").arg(name);
    }
    bool isShown(const QString &name) const
    {
        QQuickItem *item = find(name);
        return item && effectivelyVisible(item);
    }
    static bool waitFor(const std::function<bool()> &condition) { return QTest::qWaitFor(condition, waitLimitMs); }

    // Clicks the middle of `item` once it is laid out, shown and inside the window.
    [[nodiscard]] ::testing::AssertionResult click(QQuickItem *item, Qt::MouseButton button = Qt::LeftButton,
                                                   Qt::KeyboardModifiers modifiers = Qt::NoModifier) const
    {
        NotchWindow *shown = window();
        if (!item || !shown)
            return ::testing::AssertionFailure() << "nothing to click";
        const auto centre = [&] { return item->mapToScene(QPointF(item->width() / 2, item->height() / 2)); };
        // Layouts, menus and sheets are placed when the next frame is made:
        // click where a drawn frame shows the item.
        const bool ready = waitFor([&] {
            QSignalSpy frames(shown, &QQuickWindow::frameSwapped);
            shown->update();
            if (!frames.wait(1000))
                return false;
            return effectivelyVisible(item) && item->width() > 0 && item->height() > 0
                && QRectF(QPointF(), QSizeF(shown->size())).contains(centre());
        });
        if (!ready)
            return ::testing::AssertionFailure() << qPrintable(item->objectName()) << " is not on screen";
        QTest::mouseClick(shown, button, modifiers, centre().toPoint());
        return ::testing::AssertionSuccess();
    }
    // Clicks the first visible item called `name`, waiting for it to appear.
    [[nodiscard]] ::testing::AssertionResult click(const QString &name, Qt::MouseButton button = Qt::LeftButton) const
    {
        if (!waitFor([&] { return !visibleItems(name).isEmpty(); }))
            return ::testing::AssertionFailure() << qPrintable(name) << " never showed";
        return click(visibleItems(name).value(0), button);
    }
    // A key as the window system delivers it: shortcuts first, then the window.
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const
    {
        QTest::keyClick(window(), Qt::Key(key), modifiers);
    }
    // Types `text` as key presses into whatever has the focus.
    void typeText(const QString &text) const
    {
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::KeyAction::Click, window(), Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    // Whether a text field of the panel has the keyboard.
    bool focusIsIn(const QString &name) const
    {
        NotchWindow *shown = window();
        QQuickItem *focus = shown ? shown->activeFocusItem() : nullptr;
        return focus && focus->objectName() == name;
    }

    // Saves the window to build/screenshots/<name>.png for a look by eye.
    void saveScreenshot(const QString &name) const
    {
        const QString binary = qEnvironmentVariable("HOLDRA_BINARY");
        const QString directory = binary.isEmpty() ? QDir::tempPath() + QStringLiteral("/holdra-screenshots")
                                                   : QFileInfo(binary).absolutePath() + QStringLiteral("/screenshots");
        QDir().mkpath(directory);
        const QImage image = window()->grabWindow();
        EXPECT_FALSE(image.isNull());
        image.save(directory + QLatin1Char('/') + name + QStringLiteral(".png"));
    }

    QString idOf(const StashItem &item) const { return StashItemPresentation::idText(item.id()); }

    QList<NotchDisplay> m_displays;
    ManualClock m_clock;
    QList<SystemSound::Sound> m_sounds;
    std::shared_ptr<FakeAudioPlayerState> m_audioState = std::make_shared<FakeAudioPlayerState>();
    InMemoryUserDefaults m_defaults;
    AppSettings m_settings{m_defaults};
    QQmlEngine m_engine;
    std::unique_ptr<NotchController> m_controller;
};

} // namespace holdra::test
