#include "App/StatusItemController.h"
#include "App/UpdaterModel.h"
#include "Settings/AppSettings.h"
#include "Settings/InMemoryUserDefaults.h"
#include "StoreFixture.h"

#include <QAction>
#include <QImage>
#include <QLocale>
#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <gtest/gtest.h>

using namespace holdra;

namespace {

class StatusItemControllerTest : public test::StoreFixture
{
protected:
    QStringList rows(QMenu *menu) const
    {
        QStringList titles;
        for (const QAction *action : menu->actions())
            titles.append(action->isSeparator() ? QStringLiteral("—") : action->text());
        return titles;
    }

    QAction *row(QMenu *menu, const QString &title) const
    {
        for (QAction *action : menu->actions()) {
            if (action->text() == title)
                return action;
        }
        return nullptr;
    }

    InMemoryUserDefaults defaults;
    AppSettings settings{defaults};
    UpdaterModel updater{defaults, QUrl::fromLocalFile(QStringLiteral("/nonexistent/appcast.xml"))};
};

} // namespace

TEST_F(StatusItemControllerTest, ALeftClickTogglesThePanelOnce)
{
    StatusItemController controller(&openStore(), &settings, &updater);
    QSignalSpy toggle(&controller, &StatusItemController::togglePanelRequested);
    QSystemTrayIcon *icon = controller.trayIcon();

    Q_EMIT icon->activated(QSystemTrayIcon::Trigger);
    Q_EMIT icon->activated(QSystemTrayIcon::Context);
    Q_EMIT icon->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_EQ(toggle.count(), 1);

    // The press of this click closed the open panel (outside it): the click is spent.
    controller.notePanelClosed();
    Q_EMIT icon->activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(toggle.count(), 1);
    // The next click opens it again.
    Q_EMIT icon->activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(toggle.count(), 2);
}

TEST_F(StatusItemControllerTest, TheTrayIconReadsOnDarkAndLightPanels)
{
    StatusItemController controller(&openStore(), &settings, &updater);
    const QImage image = controller.trayIcon()->icon().pixmap(22, 22).toImage();
    ASSERT_FALSE(image.isNull());
    int light = 0;
    int dark = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() < 200)
                continue;
            light += pixel.lightness() > 200;
            dark += pixel.lightness() < 60;
        }
    }
    // Enough of each that one of them stands out against any panel colour.
    EXPECT_GT(light, 20);
    EXPECT_GT(dark, 20);
}

TEST_F(StatusItemControllerTest, OpeningTheMenuShowsWhatWasAddedWhileItWasClosed)
{
    StashStore &store = openStore();
    StatusItemController controller(&store, &settings, &updater);
    Q_EMIT controller.menu()->aboutToShow();

    store.addText(QStringLiteral("第一条"));
    store.addText(QStringLiteral("second"));
    Q_EMIT controller.menu()->aboutToShow();
    const QString summary = QStringLiteral("2 个项目 · ") + store.totalByteSizeText();
    ASSERT_NE(row(controller.menu(), summary), nullptr) << rows(controller.menu()).join(u'|').toStdString();
    // Rebuilt, not appended to.
    EXPECT_EQ(controller.menu()->actions().size(), 8);
}

TEST_F(StatusItemControllerTest, CommandsBecomeSignalsAndAnAskedForCheckRuns)
{
    StashStore &store = openStore();
    StatusItemController controller(&store, &settings, &updater);
    QMenu *menu = controller.menu();
    Q_EMIT menu->aboutToShow();

    QSignalSpy toggle(&controller, &StatusItemController::togglePanelRequested);
    QSignalSpy openSettings(&controller, &StatusItemController::openSettingsRequested);
    QSignalSpy quit(&controller, &StatusItemController::quitRequested);
    row(menu, QStringLiteral("打开暂存面板"))->trigger();
    row(menu, QStringLiteral("设置…"))->trigger();
    row(menu, QStringLiteral("退出栖物匣"))->trigger();
    EXPECT_EQ(toggle.count(), 1);
    EXPECT_EQ(openSettings.count(), 1);
    EXPECT_EQ(quit.count(), 1);

    QSignalSpy finished(&updater, &UpdaterModel::checkFinished);
    row(menu, QStringLiteral("检查更新…"))->trigger();
    ASSERT_TRUE(finished.count() == 1 || finished.wait(10000));
    EXPECT_EQ(updater.state(), UpdaterModel::State::Failed);
}
