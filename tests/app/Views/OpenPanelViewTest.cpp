#include "PanelViewFixture.h"

namespace holdra::test {
namespace {

class OpenPanelViewTest : public PanelViewFixture
{
protected:
    void SetUp() override { openStore(); }
    const QStringList footer{u"selectAllToggle"_s,  u"copyButton"_s,       u"deleteButton"_s, u"clearButton"_s,
                             u"restoreAllButton"_s, u"microphoneButton"_s, u"quickEntry"_s};
};

TEST_F(OpenPanelViewTest, AnEmptyStashShowsTheEmptyStateAndADragOutlinesThePanel)
{
    ASSERT_NE(openPanel(), nullptr);
    EXPECT_TRUE(isShown(u"emptyTitle"_s) && isShown(u"emptyMessage"_s));
    EXPECT_EQ(text(u"footerText"_s), u"0 个项目 · "_s + m_store->activeByteSizeText());
    EXPECT_EQ(shownAmong(footer), (QStringList{u"clearButton"_s, u"microphoneButton"_s, u"quickEntry"_s}));
    EXPECT_FALSE(find(u"clearButton"_s)->isEnabled());

    EXPECT_EQ(property(u"panelBackground"_s, "strokeWidth"), u"1");
    controller().setDropTargeted(true);
    EXPECT_EQ(property(u"panelBackground"_s, "strokeWidth"), u"2");
}

TEST_F(OpenPanelViewTest, SelectingEverythingTurnsTheToggleAndTheFooter)
{
    m_store->addText(u"one"_s);
    m_store->addText(u"two"_s);
    ASSERT_NE(openPanel(), nullptr);
    EXPECT_TRUE(waitFor([&] { return visibleTexts(u"rowName"_s) == QStringList{u"two"_s, u"one"_s}; }));

    ASSERT_TRUE(click(u"selectAllToggle"_s));
    EXPECT_EQ(controller().selection()->count(), 2);
    EXPECT_EQ(property(u"selectAllToggle"_s, "label"), u"取消全选");
    EXPECT_EQ(text(u"footerText"_s), u"已选 2 项");
    EXPECT_EQ(shownAmong(footer),
              (QStringList{u"selectAllToggle"_s, u"copyButton"_s, u"deleteButton"_s, u"microphoneButton"_s,
                           u"quickEntry"_s}));

    ASSERT_TRUE(click(u"selectAllToggle"_s));
    EXPECT_EQ(controller().selection()->count(), 0);
    EXPECT_EQ(property(u"selectAllToggle"_s, "label"), u"全选");
    EXPECT_EQ(text(u"footerText"_s), u"2 个项目 · "_s + m_store->activeByteSizeText());
}

TEST_F(OpenPanelViewTest, ClearAllAsksFirstAndNamesTheLockedItems)
{
    const StashItem locked = m_store->addText(u"keep"_s);
    m_store->addText(u"a"_s);
    m_store->addText(u"b"_s);
    m_store->setLocked(true, {locked.id()});
    ASSERT_NE(openPanel(), nullptr);

    ASSERT_TRUE(click(u"clearButton"_s));
    ASSERT_TRUE(waitFor([&] { return isShown(u"confirmationTitle"_s); }));
    EXPECT_EQ(text(u"confirmationMessage"_s),
              u"2 个未锁定项目将保留在回收站 30 天，期间可以恢复。（1 项已锁定，将继续保留在暂存中）");
    ASSERT_TRUE(click(u"confirmationCancel"_s));
    EXPECT_TRUE(waitFor([&] { return !root()->property("confirmingClear").toBool(); }));
    EXPECT_EQ(m_store->count(), 3) << "cancelling changes nothing";

    ASSERT_TRUE(click(u"clearButton"_s));
    ASSERT_TRUE(click(u"confirmationConfirm"_s));
    EXPECT_EQ(m_store->count(), 1);
}

TEST_F(OpenPanelViewTest, TheTrashViewHasItsOwnTitleListAndFooter)
{
    ASSERT_NE(openPanel(), nullptr);
    ASSERT_TRUE(click(u"trashToggle"_s));
    EXPECT_EQ(text(u"title"_s), u"回收站");
    EXPECT_EQ(shownAmong(footer), QStringList());
    EXPECT_EQ(visibleTexts(u"emptyTitle"_s), QStringList{u"回收站是空的"_s});
    EXPECT_EQ(text(u"footerText"_s), u"0 项 · "_s + m_store->trashByteSizeText() + u" · 保留 30 天"_s);

    // Back in the stash, a trashed item is counted on the toggle.
    ASSERT_TRUE(click(u"trashToggle"_s));
    m_store->remove(QSet<QUuid>{m_store->addText(u"gone"_s).id()});
    EXPECT_EQ(property(u"trashToggle"_s, "label"), u"1");
    ASSERT_TRUE(click(u"trashToggle"_s));
    EXPECT_TRUE(waitFor([&] { return visibleTexts(u"rowName"_s) == QStringList{u"gone"_s}; }));
    EXPECT_EQ(shownAmong(footer), QStringList{u"restoreAllButton"_s});
    ASSERT_TRUE(click(u"restoreButton"_s));
    EXPECT_EQ(m_store->trashCount(), 0);
    EXPECT_TRUE(isShown(u"trashEmptyState"_s));
}

// Walking into the results, Ctrl+A on them and Escape's layers are driven on the real binary (KeyRoads).
// Narrowing, Ctrl+A on the results and Escape's layers are the controller's
// suite and the real binary's (KeyRoads); here what the view shows of a search.
TEST_F(OpenPanelViewTest, TheSearchButtonOpensTheFieldAndTheFooterCountsTheMatches)
{
    m_store->addText(u"会议纪要 Report"_s);
    m_store->addText(u"购物清单"_s);
    ASSERT_NE(openPanel(), nullptr);
    ASSERT_TRUE(click(u"searchButton"_s));
    ASSERT_TRUE(waitFor([&] { return focusIsIn(u"searchInput"_s); }));
    typeText(u"report"_s);
    EXPECT_TRUE(waitFor([&] { return text(u"footerText"_s) == u"找到 1 项 · 共 2 个项目"; }));
    typeText(u"x"_s);
    EXPECT_TRUE(waitFor([&] { return visibleTexts(u"rowName"_s).isEmpty() && isShown(u"noMatches"_s); }));
}

TEST_F(OpenPanelViewTest, TheToastShowsTheControllersMessageAndOnlySuccessGetsTheCheckMark)
{
    ASSERT_NE(openPanel(), nullptr);
    EXPECT_FALSE(isShown(u"toast"_s));
    controller().toasts()->show(u"已录入"_s);
    EXPECT_TRUE(waitFor([&] { return isShown(u"toast"_s); }));
    EXPECT_EQ(text(u"toastText"_s), u"已录入");
    EXPECT_EQ(property(u"toastIcon"_s, "name"), u"checkmark.circle.fill");

    controller().toasts()->show(u"磁盘空间不足"_s, ToastPresenter::Kind::error);
    EXPECT_TRUE(waitFor([&] { return text(u"toastText"_s) == u"磁盘空间不足"; }));
    EXPECT_NE(property(u"toastIcon"_s, "name"), u"checkmark.circle.fill");
    m_clock.advance(ToastPresenter::duration);
    EXPECT_TRUE(waitFor([&] { return !isShown(u"toast"_s); }));
    EXPECT_NE(property(u"toastIcon"_s, "name"), u"checkmark.circle.fill") << "the sign fades out with its text";
}

TEST_F(OpenPanelViewTest, AnEdgeResizesThePanelByTwiceTheMoveAndLeavesTheScrollBarFree)
{
    for (int i = 0; i < 30; ++i)
        m_store->addText(u"row %1"_s.arg(i));
    ASSERT_NE(openPanel(), nullptr);
    QQuickItem *tracker = find(u"trailingHandle"_s)->findChild<QQuickItem *>(u"resizeTracker"_s);
    const QPoint start = tracker->mapToScene(QPointF(5, 200)).toPoint();
    // The pointer stays where it was let go while the window narrows under it.
    const QPoint released = window()->mapToGlobal(start - QPoint(10, 0));
    QTest::mousePress(window(), Qt::LeftButton, {}, start);
    QTest::mouseMove(window(), start - QPoint(10, 0));
    EXPECT_DOUBLE_EQ(controller().geometry()->width(), 380);
    EXPECT_DOUBLE_EQ(m_settings.panelWidth(), 400) << "stored on release only";
    QTest::mouseRelease(window(), Qt::LeftButton, {}, window()->mapFromGlobal(released));
    EXPECT_DOUBLE_EQ(m_settings.panelWidth(), 380);
    // Stepped by a screen reader, stored at once.
    QMetaObject::invokeMethod(find(u"leadingHandle"_s), "adjust", Q_ARG(QVariant, 32));
    EXPECT_DOUBLE_EQ(m_settings.panelWidth(), 412);

    // The list's scroll bar lies beside the edge, not under it, and can be dragged.
    ASSERT_TRUE(waitFor([&] { return isShown(u"listScrollBar"_s); }));
    QQuickItem *bar = find(u"listScrollBar"_s);
    const QRectF barRect = bar->mapRectToScene(QRectF(0, 0, bar->width(), bar->height()));
    EXPECT_LE(barRect.right(), tracker->mapRectToScene(QRectF(0, 0, tracker->width(), 1)).left());
    const QPoint grab = barRect.topLeft().toPoint() + QPoint(int(barRect.width() / 2), 10);
    QTest::mousePress(window(), Qt::LeftButton, {}, grab);
    QTest::mouseMove(window(), grab + QPoint(0, 60));
    QTest::mouseRelease(window(), Qt::LeftButton, {}, grab + QPoint(0, 60));
    EXPECT_TRUE(waitFor([&] { return bar->parentItem()->property("contentY").toDouble() > 0; }));
    EXPECT_DOUBLE_EQ(controller().geometry()->width(), 412);
}

} // namespace
} // namespace holdra::test
