#include "Panel/TrashItemListModel.h"
#include "StoreFixture.h"
#include "Support/DateText.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace holdra::test {
namespace {

using namespace Qt::StringLiterals;
using Role = TrashItemListModel::Role;

class TrashItemListModelTest : public StoreFixture
{
};

TEST_F(TrashItemListModelTest, FollowsTheTrashNewestFirstAndNamesAFolderByItsKindOnly)
{
    StashStore &store = openStore();
    TrashItemListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setStore(&store);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    const auto value = [&](int row, Role role) { return model.data(model.index(row), role).toString(); };

    const QString folder = m_dir.mkdir(u"sources/Folder"_s);
    m_dir.write(u"sources/Folder/a.txt"_s, "a");
    ASSERT_EQ(store.addFiles({QUrl::fromLocalFile(folder)}).added.size(), 1);
    const StashItem text = store.addText(u"first"_s);
    const StashItem link = store.addLink(u"https://example.org"_s, std::nullopt);
    store.remove(QSet<QUuid>{text.id(), store.items().last().id()});
    m_now = m_now.addSecs(60);
    store.remove(QSet<QUuid>{link.id()});
    ASSERT_EQ(model.count(), 3);
    EXPECT_EQ(value(0, Role::DisplayNameRole), link.displayName()) << "newest first";
    EXPECT_EQ(value(0, Role::SubtitleRole), u"链接 · 清除于 "_s + abbreviatedDateTime(m_now));
    EXPECT_TRUE(value(0, Role::AccessibleNameRole).startsWith(u"链接，"_s + link.displayName() + u"，清除于 "_s));
    const int folderRow = value(1, Role::DisplayNameRole) == u"Folder"_s ? 1 : 2;
    EXPECT_EQ(value(folderRow, Role::KindWordRole), u"文件"_s);
    EXPECT_EQ(value(folderRow, Role::FileIconNameRole), u"folder"_s);

    store.restoreFromTrash({text.id()});
    EXPECT_EQ(model.count(), 2);
    EXPECT_EQ(removed.count(), 1);
    EXPECT_EQ(resets.count(), 0);
}

} // namespace
} // namespace holdra::test
