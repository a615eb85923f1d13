#include "Panel/StashItemListModel.h"
#include "Panel/StashItemPresentation.h"

#include "StoreFixture.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace holdra::test {
namespace {

class StashItemListModelTest : public StoreFixture
{
protected:
    QVariant value(const StashItemListModel &model, int row, StashItemListModel::Role role) const
    {
        return model.data(model.index(row), role);
    }
    QStringList names(const StashItemListModel &model) const
    {
        QStringList out;
        for (int row = 0; row < model.rowCount(); ++row)
            out.append(value(model, row, StashItemListModel::DisplayNameRole).toString());
        return out;
    }
};

TEST_F(StashItemListModelTest, FollowsAddsRemovesAndLocksWithoutResetting)
{
    StashStore &store = openStore();
    StashItemListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy moved(&model, &QAbstractItemModel::rowsMoved);
    QSignalSpy locked(&model, &StashItemListModel::lockedCountChanged);
    model.setStore(&store);

    const StashItem a = store.addText(QStringLiteral("a"));
    const StashItem b = store.addText(QStringLiteral("b"));
    const StashItem c = store.addText(QStringLiteral("c"));
    EXPECT_EQ(names(model), (QStringList{"c", "b", "a"}));
    EXPECT_EQ(inserted.count(), 3);
    EXPECT_EQ(model.count(), 3);

    // Locking pins the item to the top: a move, and the locked role follows.
    store.setLocked(true, {a.id()});
    EXPECT_EQ(names(model), (QStringList{"a", "c", "b"}));
    EXPECT_EQ(moved.count(), 1);
    EXPECT_TRUE(value(model, 0, StashItemListModel::LockedRole).toBool());
    EXPECT_EQ(model.lockedCount(), 1);
    EXPECT_EQ(locked.count(), 1);

    store.remove(QSet<QUuid>{b.id()});
    EXPECT_EQ(names(model), (QStringList{"a", "c"}));
    EXPECT_EQ(removed.count(), 1);

    store.removeAll();
    EXPECT_EQ(names(model), (QStringList{"a"}));
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(model.indexOfId(StashItemPresentation::idText(a.id())), 0);
    EXPECT_EQ(model.indexOfId(StashItemPresentation::idText(c.id())), -1);
    EXPECT_EQ(model.indexOfId(QStringLiteral("not an id")), -1);
}

TEST_F(StashItemListModelTest, ANoteChangesOnlyItsRow)
{
    StashStore &store = openStore();
    store.addText(QStringLiteral("one"));
    const StashItem two = store.addText(QStringLiteral("two"));
    StashItemListModel model;
    model.setStore(&store);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    store.setNote(QStringLiteral("  remember\n this  "), two.id());
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.first().at(0).toModelIndex().row(), 0);
    EXPECT_EQ(value(model, 0, StashItemListModel::NotePreviewRole).toString(), "remember this");
    EXPECT_TRUE(value(model, 1, StashItemListModel::NotePreviewRole).toString().isEmpty());
}

TEST_F(StashItemListModelTest, RolesDescribeEveryKind)
{
    StashStore &store = openStore();
    const QString folder = m_dir.mkdir(QStringLiteral("sources/Photos"));
    m_dir.write(QStringLiteral("sources/Photos/inside.txt"), "x");
    const auto files =
        store.addFiles({source(QStringLiteral("report.pdf"), QByteArray(2048, 'p')), QUrl::fromLocalFile(folder)});
    ASSERT_TRUE(files.errors.isEmpty());
    const StashItem link = store.addLink(QStringLiteral("https://example.org/path?q=1"), std::nullopt);
    const StashItem text = store.addText(QStringLiteral("hello"));

    StashItemListModel model;
    model.setStore(&store);
    ASSERT_EQ(model.rowCount(), 4);
    QHash<QString, int> rowOf;
    for (int row = 0; row < model.rowCount(); ++row)
        rowOf.insert(value(model, row, StashItemListModel::DisplayNameRole).toString(), row);

    const int pdf = rowOf.value(QStringLiteral("report.pdf"));
    EXPECT_EQ(value(model, pdf, StashItemListModel::KindWordRole).toString(), "文件");
    EXPECT_TRUE(value(model, pdf, StashItemListModel::HasStoredFileRole).toBool());
    EXPECT_TRUE(value(model, pdf, StashItemListModel::FileUrlRole).toUrl().isLocalFile());
    const QString pdfIcon = value(model, pdf, StashItemListModel::FileIconNameRole).toString();
    EXPECT_TRUE(pdfIcon.isEmpty() || QIcon::hasThemeIcon(pdfIcon)) << pdfIcon.toStdString();
    EXPECT_TRUE(value(model, pdf, StashItemListModel::SubtitleRole).toString().startsWith("文件 · 2"));

    const int photos = rowOf.value(QStringLiteral("Photos"));
    EXPECT_TRUE(value(model, photos, StashItemListModel::IsDirectoryRole).toBool());
    EXPECT_EQ(value(model, photos, StashItemListModel::KindWordRole).toString(), "文件夹");
    EXPECT_EQ(value(model, photos, StashItemListModel::FileIconNameRole).toString(), "folder");

    const int linkRow = model.indexOfId(StashItemPresentation::idText(link.id()));
    EXPECT_EQ(value(model, linkRow, StashItemListModel::KindRole).toString(), "link");
    EXPECT_EQ(value(model, linkRow, StashItemListModel::SymbolNameRole).toString(), "link");
    EXPECT_TRUE(value(model, linkRow, StashItemListModel::SubtitleRole).toString().startsWith("链接 · example.org · "));

    const int textRow = model.indexOfId(StashItemPresentation::idText(text.id()));
    const QString id = value(model, textRow, StashItemListModel::ItemIdRole).toString();
    EXPECT_EQ(id, id.toUpper());
    EXPECT_FALSE(id.startsWith('{'));
    EXPECT_FALSE(value(model, textRow, StashItemListModel::HasStoredFileRole).toBool());
    EXPECT_EQ(value(model, textRow, StashItemListModel::TextRole).toString(), "hello");
}

// Rows look at their stored copies only when a view asks for them, so a long
// list costs the disk nothing for the rows nobody shows.
TEST_F(StashItemListModelTest, ARowLooksAtItsCopyWhenFirstAskedFor)
{
    StashStore &store = openStore();
    const auto files = store.addFiles({source(QStringLiteral("later.pdf"), "x")});
    ASSERT_EQ(files.added.size(), 1);
    StashItemListModel model(&store, nullptr);
    ASSERT_EQ(model.rowCount(), 1);

    const QString path = store.absolutePath(files.added.first()).value_or(QString());
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir().mkdir(path));
    EXPECT_TRUE(value(model, 0, StashItemListModel::IsDirectoryRole).toBool());
    EXPECT_EQ(value(model, 0, StashItemListModel::KindWordRole).toString(), "文件夹");
    EXPECT_EQ(value(model, 0, StashItemListModel::FileIconNameRole).toString(), "folder");
}

TEST_F(StashItemListModelTest, AStoreThatGoesAwayEmptiesTheList)
{
    StashItemListModel model;
    {
        StashStore &store = openStore();
        store.addText(QStringLiteral("x"));
        model.setStore(&store);
        ASSERT_EQ(model.count(), 1);
        m_store.reset();
    }
    EXPECT_EQ(model.count(), 0);
    EXPECT_EQ(model.store(), nullptr);
}

} // namespace
} // namespace holdra::test
