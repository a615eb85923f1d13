#include "Panel/TrashItemListModel.h"
#include "Support/DateText.h"

#include "Panel/StashItemPresentation.h"
#include "StoreFixture.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace holdra::test {
namespace {

class TrashItemListModelTest : public StoreFixture
{
protected:
    QVariant value(const TrashItemListModel &model, int row, TrashItemListModel::Role role) const
    {
        return model.data(model.index(row), role);
    }
};

TEST_F(TrashItemListModelTest, FollowsTheTrashNewestFirst)
{
    StashStore &store = openStore();
    TrashItemListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setStore(&store);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);

    const StashItem first = store.addText(QStringLiteral("first"));
    const StashItem second = store.addLink(QStringLiteral("https://example.org"), std::nullopt);
    store.remove(QSet<QUuid>{first.id()});
    m_now = m_now.addSecs(60);
    store.remove(QSet<QUuid>{second.id()});
    ASSERT_EQ(model.count(), 2);
    EXPECT_EQ(value(model, 0, TrashItemListModel::DisplayNameRole).toString(), second.displayName());

    const QString expectedLine = QStringLiteral("链接 · 清除于 ") + abbreviatedDateTime(m_now);
    EXPECT_EQ(value(model, 0, TrashItemListModel::SubtitleRole).toString(), expectedLine);
    EXPECT_TRUE(value(model, 0, TrashItemListModel::AccessibleNameRole)
                    .toString()
                    .startsWith(QStringLiteral("链接，") + second.displayName() + QStringLiteral("，清除于 ")));

    store.restoreFromTrash({first.id()});
    ASSERT_EQ(model.count(), 1);
    EXPECT_EQ(removed.count(), 1);
    EXPECT_EQ(resets.count(), 0);
}

TEST_F(TrashItemListModelTest, AFolderInTheTrashIsNamedByItsKindOnly)
{
    StashStore &store = openStore();
    const QString folder = m_dir.mkdir(QStringLiteral("sources/Folder"));
    m_dir.write(QStringLiteral("sources/Folder/a.txt"), "a");
    const auto result = store.addFiles({QUrl::fromLocalFile(folder)});
    ASSERT_EQ(result.added.size(), 1);
    store.removeAll();
    TrashItemListModel model;
    model.setStore(&store);
    ASSERT_EQ(model.count(), 1);
    EXPECT_EQ(value(model, 0, TrashItemListModel::KindWordRole).toString(), "文件");
    EXPECT_EQ(value(model, 0, TrashItemListModel::FileIconNameRole).toString(), "folder");
}

} // namespace
} // namespace holdra::test
