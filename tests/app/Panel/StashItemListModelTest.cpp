#include "Panel/StashItemListModel.h"
#include "Panel/StashItemPresentation.h"
#include "Panel/TrashItemListModel.h"
#include "StoreFixture.h"
#include "Support/DateText.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace holdra::test {
namespace {

using namespace Qt::StringLiterals;
using Role = StashItemListModel::Role;
using TrashRole = TrashItemListModel::Role;

class StashItemListModelTest : public StoreFixture
{
protected:
    StashItemListModelTest() { openStore(); }

    QVariant value(int row, Role role) const { return m_model.data(m_model.index(row), role); }
    QVariant value(const StashItem &item, Role role) const
    {
        return value(m_model.indexOfId(StashItemPresentation::idText(item.id())), role);
    }
    QStringList names() const
    {
        QStringList out;
        for (int row = 0; row < m_model.rowCount(); ++row)
            out.append(value(row, Role::DisplayNameRole).toString());
        return out;
    }
    StashItemListModel m_model;
    QAbstractItemModelTester m_tester{&m_model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

// The store publishes whole lists; the model reports only what changed, in
// signals its views can follow (checked by the model tester), never a reset.
TEST_F(StashItemListModelTest, FollowsTheStoreRowByRowUntilItGoes)
{
    QSignalSpy resets(&m_model, &QAbstractItemModel::modelReset);
    m_model.setStore(m_store.get());
    const StashItem a = m_store->addText(u"a"_s);
    const StashItem b = m_store->addText(u"b"_s);
    const StashItem c = m_store->addText(u"c"_s);
    EXPECT_EQ(names(), (QStringList{u"c"_s, u"b"_s, u"a"_s}));

    // Locking pins the item to the top, and the locked role follows.
    m_store->setLocked(true, {a.id()});
    EXPECT_EQ(names(), (QStringList{u"a"_s, u"c"_s, u"b"_s}));
    EXPECT_TRUE(value(0, Role::LockedRole).toBool());
    EXPECT_EQ(m_model.lockedCount(), 1);

    m_store->setNote(u"  remember\n this  "_s, b.id());
    EXPECT_EQ(value(b, Role::NotePreviewRole).toString(), u"remember this"_s);

    // Rows apart go in one change, and a row from the middle is pinned.
    const StashItem d = m_store->addText(u"d"_s);
    m_store->addText(u"e"_s);
    m_store->remove(QSet<QUuid>{d.id(), b.id()});
    EXPECT_EQ(names(), (QStringList{u"a"_s, u"e"_s, u"c"_s}));
    m_store->setLocked(true, {c.id()});
    EXPECT_EQ(names(), (QStringList{u"a"_s, u"c"_s, u"e"_s}));

    m_store->removeAll();
    EXPECT_EQ(names(), (QStringList{u"a"_s, u"c"_s})) << "the locked items stay";
    EXPECT_EQ(resets.count(), 0);

    m_store.reset();
    EXPECT_EQ(m_model.count(), 0) << "a store that goes takes its rows";
}

TEST_F(StashItemListModelTest, RolesDescribeTheStoredCopyAFileOrAFolder)
{
    const QString folder = m_dir.mkdir(u"sources/Photos"_s);
    m_dir.write(u"sources/Photos/inside.txt"_s, "x");
    const auto files = m_store->addFiles({source(u"report.pdf"_s, QByteArray(2048, 'p')), QUrl::fromLocalFile(folder)});
    ASSERT_EQ(files.added.size(), 2);
    const StashItem text = m_store->addText(u"hello"_s);
    m_model.setStore(m_store.get());

    const StashItem &pdf = files.added[0];
    EXPECT_EQ(value(pdf, Role::KindWordRole).toString(), u"文件"_s);
    EXPECT_TRUE(value(pdf, Role::HasStoredFileRole).toBool());
    EXPECT_TRUE(value(pdf, Role::FileUrlRole).toUrl().isLocalFile());
    EXPECT_TRUE(value(files.added[1], Role::IsDirectoryRole).toBool());
    EXPECT_EQ(value(files.added[1], Role::KindWordRole).toString(), u"文件夹"_s);
    EXPECT_EQ(value(files.added[1], Role::FileIconNameRole).toString(), u"folder"_s);
    EXPECT_FALSE(value(text, Role::HasStoredFileRole).toBool());
}

using TrashItemListModelTest = StoreFixture;

TEST_F(TrashItemListModelTest, FollowsTheTrashNewestFirstAndNamesAFolderByItsKindOnly)
{
    StashStore &store = openStore();
    TrashItemListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setStore(&store);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    const auto value = [&](int row, TrashRole role) { return model.data(model.index(row), role).toString(); };

    const QString folder = m_dir.mkdir(u"sources/Folder"_s);
    m_dir.write(u"sources/Folder/a.txt"_s, "a");
    ASSERT_EQ(store.addFiles({QUrl::fromLocalFile(folder)}).added.size(), 1);
    const StashItem text = store.addText(u"first"_s);
    const StashItem link = store.addLink(u"https://example.org"_s, std::nullopt);
    store.remove(QSet<QUuid>{text.id(), store.items().last().id()});
    m_now = m_now.addSecs(60);
    store.remove(QSet<QUuid>{link.id()});
    ASSERT_EQ(model.count(), 3);
    EXPECT_EQ(value(0, TrashRole::DisplayNameRole), link.displayName()) << "newest first";
    EXPECT_EQ(value(0, TrashRole::SubtitleRole), u"链接 · 清除于 "_s + abbreviatedDateTime(m_now));
    EXPECT_TRUE(value(0, TrashRole::AccessibleNameRole).startsWith(u"链接，"_s + link.displayName() + u"，清除于 "_s));
    const int folderRow = value(1, TrashRole::DisplayNameRole) == u"Folder"_s ? 1 : 2;
    EXPECT_EQ(value(folderRow, TrashRole::KindWordRole), u"文件"_s);
    EXPECT_EQ(value(folderRow, TrashRole::FileIconNameRole), u"folder"_s);

    store.restoreFromTrash({text.id()});
    EXPECT_EQ(model.count(), 2);
    EXPECT_EQ(resets.count(), 0);
}

} // namespace
} // namespace holdra::test
