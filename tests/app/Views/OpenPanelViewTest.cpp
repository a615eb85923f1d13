#include "Models/DraftModel.h"
#include "PanelViewFixture.h"

#include <QLocale>
#include <QSignalSpy>

namespace holdra::test {
namespace {

using namespace std::chrono_literals;

class OpenPanelViewTest : public PanelViewFixture
{
protected:
    [[nodiscard]] ::testing::AssertionResult showPanel()
    {
        if (!openPanel())
            return ::testing::AssertionFailure() << "the panel did not open";
        return ::testing::AssertionSuccess();
    }
    QString zeroBytes() const { return m_store->activeByteSizeText(); }
};

TEST_F(OpenPanelViewTest, AnEmptyStashShowsTheEmptyStateAndZeroTotals)
{
    openStore();
    ASSERT_TRUE(showPanel());
    EXPECT_EQ(text("title"), "栖物匣");
    EXPECT_TRUE(isShown("emptyState"));
    EXPECT_EQ(visibleTexts("emptyTitle"), QStringList{"先栖物匣"});
    EXPECT_EQ(visibleTexts("emptyMessage"), QStringList{"点击输入条打字录入，或拖入文件、按 Ctrl+V 粘贴"});
    EXPECT_EQ(text("footerText"), QStringLiteral("0 个项目 · ") + zeroBytes());
    EXPECT_FALSE(isShown("selectAllToggle"));
    ASSERT_TRUE(isShown("clearButton"));
    EXPECT_FALSE(find("clearButton")->isEnabled());
    EXPECT_TRUE(isShown("microphoneButton"));
    EXPECT_TRUE(isShown("quickEntry"));
}

TEST_F(OpenPanelViewTest, SelectingEverythingTurnsTheToggleAndTheFooter)
{
    openStore();
    m_store->addText(QStringLiteral("one"));
    m_store->addText(QStringLiteral("two"));
    ASSERT_TRUE(showPanel());
    EXPECT_FALSE(isShown("emptyState"));
    EXPECT_TRUE(waitFor([&] { return visibleTexts("rowName").size() == 2; }));
    EXPECT_EQ(visibleTexts("rowName"), (QStringList{"two", "one"}));
    EXPECT_EQ(find("selectAllToggle")->property("label").toString(), "全选");
    EXPECT_EQ(find("selectAllToggle")->property("toolTip").toString(), "选择全部项目（Ctrl+A）");

    ASSERT_TRUE(click(find("selectAllToggle")));
    EXPECT_EQ(controller().selection()->idTexts().size(), 2);
    EXPECT_EQ(find("selectAllToggle")->property("label").toString(), "取消全选");
    EXPECT_EQ(find("selectAllToggle")->property("toolTip").toString(), "取消全部选择");
    EXPECT_EQ(text("footerText"), "已选 2 项");
    EXPECT_TRUE(isShown("copyButton"));
    EXPECT_TRUE(isShown("deleteButton"));
    EXPECT_FALSE(isShown("clearButton"));

    ASSERT_TRUE(click(find("selectAllToggle")));
    EXPECT_TRUE(controller().selection()->idTexts().isEmpty());
    EXPECT_EQ(text("footerText"), QStringLiteral("2 个项目 · ") + m_store->activeByteSizeText());
}

TEST_F(OpenPanelViewTest, ClearAllAsksFirstAndNamesTheLockedItems)
{
    openStore();
    const StashItem locked = m_store->addText(QStringLiteral("keep"));
    m_store->addText(QStringLiteral("a"));
    m_store->addText(QStringLiteral("b"));
    m_store->setLocked(true, {locked.id()});
    ASSERT_TRUE(showPanel());

    ASSERT_TRUE(click(find("clearButton")));
    EXPECT_TRUE(waitFor([&] { return isShown("clearConfirmation") || find("confirmationTitle")->isVisible(); }));
    EXPECT_EQ(text("confirmationTitle"), "将全部暂存项目移到回收站？");
    EXPECT_EQ(text("confirmationMessage"),
              "2 个未锁定项目将保留在回收站 30 天，期间可以恢复。（1 项已锁定，将继续保留在暂存中）");
    // Cancelling changes nothing and closes the question.
    ASSERT_TRUE(click(find("confirmationCancel")));
    EXPECT_TRUE(waitFor([&] { return !root()->property("confirmingClear").toBool(); }));
    EXPECT_EQ(m_store->count(), 3);

    ASSERT_TRUE(click(find("clearButton")));
    EXPECT_TRUE(waitFor([&] { return find("confirmationConfirm")->isVisible(); }));
    ASSERT_TRUE(click(find("confirmationConfirm")));
    EXPECT_EQ(m_store->count(), 1);
    EXPECT_EQ(m_store->trashCount(), 2);
    EXPECT_EQ(controller().toasts()->message().value_or(QString()), "已移入回收站 2 项，1 项已锁定");
    EXPECT_FALSE(root()->property("confirmingClear").toBool());

    // Without locked items the parenthesis is gone.
    m_store->setLocked(false, {locked.id()});
    EXPECT_EQ(root()->property("clearAllMessage").toString(), "1 个未锁定项目将保留在回收站 30 天，期间可以恢复。");
}

TEST_F(OpenPanelViewTest, TheTrashViewHasItsOwnTitleListAndFooter)
{
    openStore();
    ASSERT_TRUE(showPanel());
    ASSERT_TRUE(click(find("trashToggle")));
    ASSERT_TRUE(controller().isShowingTrash());
    EXPECT_EQ(text("title"), "回收站");
    EXPECT_EQ(find("trashToggle")->property("symbol").toString(), "tray");
    EXPECT_EQ(find("trashToggle")->property("toolTip").toString(), "返回暂存");
    EXPECT_FALSE(isShown("microphoneButton"));
    EXPECT_FALSE(isShown("quickEntry"));
    EXPECT_TRUE(isShown("trashEmptyState"));
    EXPECT_EQ(visibleTexts("emptyTitle"), QStringList{"回收站是空的"});
    EXPECT_EQ(visibleTexts("emptyMessage"), QStringList{"清除的项目会在这里保留 30 天"});
    EXPECT_FALSE(isShown("restoreAllButton"));
    EXPECT_EQ(text("footerText"),
              QStringLiteral("0 项 · ") + m_store->trashByteSizeText() + QStringLiteral(" · 保留 30 天"));

    // Back in the stash, a trashed item is counted on the toggle.
    ASSERT_TRUE(click(find("trashToggle")));
    const StashItem gone = m_store->addText(QStringLiteral("gone"));
    m_store->remove(QSet<QUuid>{gone.id()});
    EXPECT_EQ(find("trashToggle")->property("label").toString(), "1");
    ASSERT_TRUE(click(find("trashToggle")));
    EXPECT_TRUE(waitFor([&] { return visibleTexts("rowName") == QStringList{"gone"}; }));
    EXPECT_TRUE(isShown("restoreAllButton"));
    ASSERT_TRUE(click(visibleItems("restoreButton").value(0)));
    EXPECT_EQ(m_store->trashCount(), 0);
    EXPECT_EQ(controller().toasts()->message().value_or(QString()), "已恢复到暂存");
    EXPECT_TRUE(isShown("trashEmptyState"));
}

// The lists belong to the controller: closing the panel keeps them, they follow
// the store meanwhile, and the next open shows them as they are.
TEST_F(OpenPanelViewTest, TheListsOutliveThePanelAndFollowTheStoreWhileItIsClosed)
{
    openStore();
    m_store->addText(QStringLiteral("first"));
    ASSERT_TRUE(showPanel());
    const auto shownModel = [&] {
        QQuickItem *loader = find("stashList");
        QObject *list = loader ? loader->property("item").value<QObject *>() : nullptr;
        return list ? list->property("model").value<QObject *>() : nullptr;
    };
    EXPECT_TRUE(waitFor([&] { return visibleTexts("rowName") == QStringList{"first"}; }));
    EXPECT_EQ(shownModel(), controller().stashItems());

    controller().close(false);
    EXPECT_TRUE(waitFor([&] { return isShown("traySegment"); }));
    const StashItem second = m_store->addText(QStringLiteral("second"));
    m_store->remove(QSet<QUuid>{second.id()});
    m_store->addText(QStringLiteral("third"));
    EXPECT_EQ(controller().stashItems()->count(), 2);
    EXPECT_EQ(controller().trashItems()->count(), 1);

    ASSERT_TRUE(showPanel());
    EXPECT_TRUE(waitFor([&] { return visibleTexts("rowName") == QStringList{"third", "first"}; }));
    EXPECT_EQ(shownModel(), controller().stashItems());
}

TEST_F(OpenPanelViewTest, PanelKeysReachTheController)
{
    openStore();
    const StashItem a = m_store->addText(QStringLiteral("a"));
    m_store->addText(QStringLiteral("b"));
    ASSERT_TRUE(showPanel());

    key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(controller().selection()->idTexts().size(), 2);
    QSignalSpy copies(controller().actions(), &StashActions::copyRequested);
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(copies.count(), 1);

    key(Qt::Key_Escape);
    EXPECT_TRUE(controller().selection()->idTexts().isEmpty());
    EXPECT_TRUE(controller().isOpen());

    controller().selection()->selectRow(idOf(a), false);
    key(Qt::Key_Delete);
    EXPECT_EQ(m_store->count(), 1);
    EXPECT_EQ(m_store->trashCount(), 1);

    key(Qt::Key_Escape);
    EXPECT_FALSE(controller().isOpen());
}

TEST_F(OpenPanelViewTest, CtrlFFiltersTheRowsAsTypedAndEscapeClearsTheSearchBeforeAnythingElse)
{
    openStore();
    m_store->addText(QStringLiteral("会议纪要 Report"));
    m_store->addText(QStringLiteral("购物清单"));
    const StashItem link = m_store->addText(QStringLiteral("https://example.org/report"));
    ASSERT_TRUE(showPanel());
    ASSERT_TRUE(waitFor([&] { return visibleTexts("rowName").size() == 3; }));
    controller().selection()->selectRow(idOf(link), false);

    key(Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(waitFor([&] { return focusIsIn("searchInput"); }));
    EXPECT_EQ(find("searchInput")->property("placeholderText").toString(), "搜索");
    typeText(QStringLiteral("ＲＥＰＯＲＴ"));
    EXPECT_TRUE(waitFor([&] { return visibleTexts("rowName").size() == 2; }))
        << visibleTexts("rowName").join(u',').toStdString();
    EXPECT_EQ(text("footerText"), "已选 1 项");
    typeText(QStringLiteral("纪要"));
    EXPECT_TRUE(waitFor([&] { return visibleTexts("rowName").isEmpty() && isShown("noMatches"); }));
    EXPECT_EQ(text("noMatches"), "没有匹配的项目");
    EXPECT_TRUE(controller().selection()->idTexts().isEmpty()) << "a hidden row does not stay selected";

    // Down from the field walks into the results.
    for (int i = 0; i < 2; ++i)
        key(Qt::Key_Backspace);
    EXPECT_TRUE(waitFor([&] { return visibleTexts("rowName").size() == 2; }));
    EXPECT_EQ(text("footerText"), "找到 2 项 · 共 3 个项目");
    key(Qt::Key_Down);
    EXPECT_TRUE(waitFor([&] { return !focusIsIn("searchInput"); }));
    EXPECT_EQ(controller().selection()->idTexts(), QStringList{idOf(link)});
    key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(controller().selection()->idTexts().size(), 2);
    EXPECT_EQ(find("selectAllToggle")->property("label").toString(), "取消全选");

    // Escape: the search goes and every row is back, the selection stays; then as before.
    key(Qt::Key_Escape);
    EXPECT_TRUE(waitFor([&] { return visibleTexts("rowName").size() == 3 && !isShown("searchInput"); }));
    EXPECT_EQ(controller().selection()->idTexts().size(), 2);
    key(Qt::Key_Escape);
    EXPECT_TRUE(controller().selection()->idTexts().isEmpty());
    EXPECT_TRUE(controller().isOpen());

    // The header's button opens the field too.
    ASSERT_TRUE(click(find("searchButton")));
    EXPECT_TRUE(waitFor([&] { return focusIsIn("searchInput"); }));
    typeText(QStringLiteral("清单"));
    EXPECT_TRUE(waitFor([&] { return visibleTexts("rowName") == QStringList{"购物清单"}; }));
    saveScreenshot(QStringLiteral("panel-search"));
    key(Qt::Key_Escape);
    EXPECT_TRUE(waitFor([&] { return visibleTexts("rowName").size() == 3; }));
}

TEST_F(OpenPanelViewTest, TheToastShowsTheControllersMessageAndOnlySuccessGetsTheCheckMark)
{
    openStore();
    ASSERT_TRUE(showPanel());
    EXPECT_FALSE(isShown("toast"));
    const auto icon = [&] { return find("toastIcon")->property("name").toString(); };
    controller().toasts()->show(QStringLiteral("已录入"));
    EXPECT_TRUE(waitFor([&] { return isShown("toast"); }));
    EXPECT_EQ(text("toastText"), "已录入");
    EXPECT_EQ(icon(), "checkmark.circle.fill");

    controller().toasts()->show(QStringLiteral("磁盘空间不足"), ToastPresenter::Kind::error);
    EXPECT_TRUE(waitFor([&] { return text("toastText") == "磁盘空间不足"; }));
    EXPECT_NE(icon(), "checkmark.circle.fill");
    m_clock.advance(1300ms);
    EXPECT_TRUE(waitFor([&] { return !isShown("toast"); }));
    // The sign faded out with its text.
    EXPECT_NE(icon(), "checkmark.circle.fill");
}

TEST_F(OpenPanelViewTest, DraggingAnEdgeResizesThePanelByTwiceTheMoveAndStoresTheWidthOnRelease)
{
    openStore();
    m_settings.setPanelWidth(400);
    ASSERT_TRUE(showPanel());
    ASSERT_DOUBLE_EQ(controller().geometry()->width(), 400);
    QQuickItem *tracker = find("trailingHandle")->findChild<QQuickItem *>("resizeTracker");
    ASSERT_NE(tracker, nullptr);
    const QPoint start = tracker->mapToScene(QPointF(5, 200)).toPoint();
    // The pointer stays where it was let go while the window narrows under it.
    const QPoint released = window()->mapToGlobal(start - QPoint(10, 0));
    QTest::mousePress(window(), Qt::LeftButton, {}, start);
    QTest::mouseMove(window(), start - QPoint(10, 0));
    EXPECT_DOUBLE_EQ(controller().geometry()->width(), 380);
    EXPECT_DOUBLE_EQ(m_settings.panelWidth(), 400);
    QTest::mouseRelease(window(), Qt::LeftButton, {}, window()->mapFromGlobal(released));
    EXPECT_DOUBLE_EQ(m_settings.panelWidth(), 380);

    // Stepped by a screen reader.
    QQuickItem *leading = find("leadingHandle");
    QMetaObject::invokeMethod(leading, "adjust", Q_ARG(QVariant, 32));
    EXPECT_DOUBLE_EQ(controller().geometry()->width(), 412);
    EXPECT_DOUBLE_EQ(m_settings.panelWidth(), 412);
    // Steps past the widest panel stop at it, and the stored width is the clamped one.
    for (int i = 0; i < 20; ++i)
        QMetaObject::invokeMethod(leading, "adjust", Q_ARG(QVariant, 32));
    EXPECT_LE(controller().geometry()->width(), PanelGeometry::maximumWidth);
    EXPECT_GT(controller().geometry()->width(), 412);
    EXPECT_DOUBLE_EQ(m_settings.panelWidth(), controller().geometry()->width());
}

TEST_F(OpenPanelViewTest, TheListsScrollBarCanBeDraggedBesideTheResizeEdge)
{
    openStore();
    for (int i = 0; i < 30; ++i)
        m_store->addText(QStringLiteral("row %1").arg(i));
    ASSERT_TRUE(showPanel());
    ASSERT_TRUE(waitFor([&] { return isShown(QStringLiteral("listScrollBar")); }));
    QQuickItem *bar = find("listScrollBar");
    QQuickItem *list = bar->parentItem();
    ASSERT_NE(list, nullptr);
    const QRectF barRect = bar->mapRectToScene(QRectF(0, 0, bar->width(), bar->height()));
    QQuickItem *handle = find("trailingHandle");
    const QRectF edge = handle->mapRectToScene(QRectF(0, 0, handle->width(), handle->height()));
    EXPECT_LE(barRect.right(), edge.left()) << "the resize edge must not cover the scroll bar";

    const QPoint grab = barRect.center().toPoint() - QPoint(0, int(barRect.height() / 2) - 10);
    QTest::mousePress(window(), Qt::LeftButton, {}, grab);
    QTest::mouseMove(window(), grab + QPoint(0, 60));
    QTest::mouseRelease(window(), Qt::LeftButton, {}, grab + QPoint(0, 60));
    EXPECT_TRUE(waitFor([&] { return list->property("contentY").toDouble() > 0; }));
    EXPECT_DOUBLE_EQ(controller().geometry()->width(), 400);
}

TEST_F(OpenPanelViewTest, ADragOverThePanelOutlinesItInTheAccentColour)
{
    openStore();
    ASSERT_TRUE(showPanel());
    QQuickItem *background = find("panelBackground");
    EXPECT_DOUBLE_EQ(background->property("strokeWidth").toDouble(), 1);
    controller().setDropTargeted(true);
    EXPECT_DOUBLE_EQ(background->property("strokeWidth").toDouble(), 2);
}

} // namespace
} // namespace holdra::test
