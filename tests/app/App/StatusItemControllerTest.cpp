#include "App/StatusItemController.h"
#include "App/UpdaterModel.h"
#include "Settings/AppSettings.h"
#include "Settings/InMemoryUserDefaults.h"
#include "StoreFixture.h"

#include <QAction>
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

TEST_F(StatusItemControllerTest, TheMenuHasEveryRowInOrderWithTheEmptyStashSummary)
{
    StashStore &store = openStore();
    StatusItemController controller(&store, &settings, &updater);
    QMenu *menu = controller.menu();
    Q_EMIT menu->aboutToShow();

    const QString summary = QStringLiteral("0 个项目 · ") + store.totalByteSizeText();
    EXPECT_EQ(rows(menu), (QStringList{QStringLiteral("打开暂存面板"), QStringLiteral("—"), summary,
                                       QStringLiteral("—"), QStringLiteral("检查更新…"),
                                       QStringLiteral("查看更新日志…"), QStringLiteral("设置…"),
                                       QStringLiteral("退出栖物匣")}));
    EXPECT_FALSE(row(menu, summary)->isEnabled());
    for (const QString &title : {QStringLiteral("打开暂存面板"), QStringLiteral("检查更新…"),
                                 QStringLiteral("查看更新日志…"), QStringLiteral("设置…"), QStringLiteral("退出栖物匣")})
        EXPECT_TRUE(row(menu, title)->isEnabled()) << title.toStdString();
    EXPECT_EQ(row(menu, QStringLiteral("设置…"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+,")));
    EXPECT_EQ(row(menu, QStringLiteral("退出栖物匣"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    EXPECT_TRUE(row(menu, QStringLiteral("打开暂存面板"))->shortcut().isEmpty());

    EXPECT_EQ(controller.trayIcon()->toolTip(), QStringLiteral("栖物匣 — 文件、文字、链接，先栖物匣。"));
    EXPECT_FALSE(controller.trayIcon()->icon().isNull());
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
