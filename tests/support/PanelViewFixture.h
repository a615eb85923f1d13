#pragma once

#include "App/ThumbnailImageProvider.h"
#include "FakeAudioPlayer.h"
#include "ManualClock.h"
#include "Notch/NotchController.h"
#include "Notch/NotchWindowing.h"
#include "Settings/AppSettings.h"
#include "Settings/InMemoryUserDefaults.h"
#include "StoreFixture.h"
#include "QuickItems.h"

#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

namespace holdra::test {

// A window that only remembers being shown.
class NullNotchWindow final : public NotchWindowing
{
public:
    QRectF frame() const override { return m_frame; }
    void setFrame(const QRectF &frame) override { m_frame = frame; }
    void orderFront() override {}
    void makeKeyAndOrderFront() override {}
    void orderOut() override {}

private:
    QRectF m_frame;
};

// The real controller over a real store, on one 1920 × 1080 display "A", and a
// view of one of the panel's QML types bound to it.
class PanelViewFixture : public StoreFixture
{
protected:
    static constexpr auto waitLimit = std::chrono::milliseconds(3000);

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
    }

    NotchController &controller()
    {
        if (!m_controller) {
            if (!m_store)
                openStore();
            NotchController::Environment env;
            env.displays = [] {
                NotchDisplay display;
                display.id = QStringLiteral("A");
                display.geometry = QRectF(0, 0, 1920, 1080);
                display.availableGeometry = QRectF(0, 27, 1920, 1053);
                return QList<NotchDisplay>{display};
            };
            env.makeWindow = [](NotchController &, const QString &) { return std::make_unique<NullNotchWindow>(); };
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

    // Shows `type` of the Holdra module with the controller (and `displayID` for the panel).
    QQuickItem *show(const QString &type, QSize size = QSize(400, 470), const QVariantMap &extra = {})
    {
        m_view = std::make_unique<QQuickView>();
        m_view->engine()->addImageProvider(QStringLiteral("thumbnail"), new ThumbnailImageProvider);
        QVariantMap properties = extra;
        properties.insert(QStringLiteral("controller"), QVariant::fromValue<QObject *>(&controller()));
        if (type == QStringLiteral("OpenPanelView"))
            properties.insert(QStringLiteral("displayID"), QStringLiteral("A"));
        m_view->setInitialProperties(properties);
        m_view->setResizeMode(QQuickView::SizeRootObjectToView);
        m_view->setColor(Qt::black);
        m_view->setSource(QUrl(QStringLiteral("qrc:/qt-project.org/imports/Holdra/%1.qml").arg(type)));
        for (const QQmlError &error : m_view->errors())
            ADD_FAILURE() << error.toString().toStdString();
        m_view->resize(size);
        m_view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_view.get()));
        return m_view->rootObject();
    }

    QQuickItem *root() const { return m_view ? m_view->rootObject() : nullptr; }

    // Every item of the window's scene called `name`: list rows and popups
    // included, which are not QObject children of the root.
    QList<QQuickItem *> allItems(const QString &name) const
    {
        QList<QQuickItem *> out;
        if (!m_view)
            return out;
        std::function<void(QQuickItem *)> walk = [&](QQuickItem *item) {
            if (item->objectName() == name)
                out.append(item);
            for (QQuickItem *child : item->childItems())
                walk(child);
        };
        walk(m_view->contentItem());
        return out;
    }
    QQuickItem *find(const QString &name) const
    {
        const QList<QQuickItem *> items = allItems(name);
        if (!items.isEmpty())
            return items.first();
        return root() ? root()->findChild<QQuickItem *>(name) : nullptr;
    }
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
    bool waitFor(const std::function<bool()> &condition) const
    {
        return QTest::qWaitFor(condition, int(waitLimit.count()));
    }

    void click(QQuickItem *item, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) const
    {
        ASSERT_NE(item, nullptr);
        const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
        QTest::mouseClick(m_view.get(), button, modifiers, centre.toPoint());
    }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const
    {
        QTest::keyClick(m_view.get(), Qt::Key(key), modifiers);
    }

    // Types `text` as key presses into the focused item.
    void typeText(const QString &text) const
    {
        for (const QChar c : text) {
            QTest::sendKeyEvent(QTest::KeyAction::Click, m_view.get(), Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }

    // Saves the view to build/screenshots/<name>.png for a look by eye.
    void saveScreenshot(const QString &name) const
    {
        const QString binary = qEnvironmentVariable("HOLDRA_BINARY");
        const QString directory = binary.isEmpty() ? QDir::tempPath() + QStringLiteral("/holdra-screenshots")
                                                   : QFileInfo(binary).absolutePath() + QStringLiteral("/screenshots");
        QDir().mkpath(directory);
        QTest::qWait(50);
        const QImage image = m_view->grabWindow();
        EXPECT_FALSE(image.isNull());
        image.save(directory + QLatin1Char('/') + name + QStringLiteral(".png"));
    }

    QString idOf(const StashItem &item) const { return NotchController::idText(item.id()); }

    ManualClock m_clock;
    QList<SystemSound::Sound> m_sounds;
    std::shared_ptr<FakeAudioPlayerState> m_audioState = std::make_shared<FakeAudioPlayerState>();
    InMemoryUserDefaults m_defaults;
    AppSettings m_settings{m_defaults};
    std::unique_ptr<NotchController> m_controller;
    std::unique_ptr<QQuickView> m_view;
};

} // namespace holdra::test
