#include "Panel/StashItemListModel.h"
#include "Audio/AudioPlaybackController.h"
#include "FakeAudioPlayer.h"
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
    // Each dataChanged since the last call: its rows and what it redraws ("2-3 selected").
    QStringList redrawn() { return std::exchange(m_redrawn, {}); }
    void record(const QModelIndex &first, const QModelIndex &last, const QList<int> &roles)
    {
        const QString rows =
            QString::number(first.row()) + (last.row() == first.row() ? QString() : u'-' + QString::number(last.row()));
        const QString what = roles.contains(Role::CurrentRole) ? u"current"_s
            : roles.contains(Role::SelectedRole)               ? u"selected"_s
            : roles.contains(Role::PlayingRole)                ? u"playing"_s
                                                               : u"all"_s;
        m_redrawn.append(rows + u' ' + what);
    }

    StashItemListModel m_model;
    QAbstractItemModelTester m_tester{&m_model, QAbstractItemModelTester::FailureReportingMode::Fatal};
    QStringList m_redrawn;
    QMetaObject::Connection m_recording = QObject::connect(
        &m_model, &QAbstractItemModel::dataChanged,
        [this](const QModelIndex &a, const QModelIndex &b, const QList<int> &roles) { record(a, b, roles); });
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

    redrawn();
    m_store->setNote(u"  remember\n this  "_s, b.id());
    EXPECT_EQ(redrawn(), QStringList{u"2 all"_s}) << "only the noted row";
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
    EXPECT_EQ(m_model.store(), nullptr);
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

// Selection, the keyboard's row and playback redraw the rows whose state
// changed and no others, so that a click costs the same in a list of any length.
TEST_F(StashItemListModelTest, SelectionKeyboardAndPlaybackRedrawOnlyTheirRows)
{
    auto state = std::make_shared<FakeAudioPlayerState>();
    AudioPlaybackController player([state](const QUrl &) { return std::make_unique<FakeAudioPlayer>(state); });
    PanelSelection selection;
    m_model.setSelection(&selection);
    m_model.setPlayer(&player);
    for (int i = 0; i < 6; ++i)
        m_store->addText(QString::number(i));
    const StashItem audio = m_store->addAudio("m4a", u"note"_s, 3);
    m_model.setStore(m_store.get());
    const QList<StashItem> order = m_store->items();
    selection.setRowOrder([&] { return order; });
    redrawn();

    // The audio item is on top; a click, two Ctrl clicks, then Down.
    selection.select(order[2].id());
    EXPECT_EQ(redrawn(), (QStringList{u"2 current"_s, u"2 selected"_s}));
    EXPECT_TRUE(value(2, Role::SelectedRole).toBool());
    selection.toggle(order[4].id());
    selection.toggle(order[3].id());
    EXPECT_EQ(redrawn(),
              (QStringList{u"2 current"_s, u"4 current"_s, u"4 selected"_s, u"4 current"_s, u"3 current"_s,
                           u"3 selected"_s}));
    ASSERT_TRUE(selection.moveBy(order, 1, false));
    EXPECT_EQ(redrawn(), (QStringList{u"3 current"_s, u"4 current"_s, u"2-3 selected"_s}));
    EXPECT_TRUE(value(4, Role::CurrentRole).toBool() && value(4, Role::SelectedRole).toBool());
    EXPECT_FALSE(value(3, Role::CurrentRole).toBool() || value(3, Role::SelectedRole).toBool());

    ASSERT_TRUE(player.toggle(audio.id(), QUrl::fromLocalFile(u"/x.m4a"_s)));
    EXPECT_TRUE(value(0, Role::PlayingRole).toBool());
    player.stop();
    EXPECT_FALSE(value(0, Role::AudioActiveRole).toBool());
    const QStringList played = redrawn();
    EXPECT_FALSE(played.isEmpty());
    EXPECT_EQ(played.filter(u"0 playing"_s), played) << "only the recording's row";
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
