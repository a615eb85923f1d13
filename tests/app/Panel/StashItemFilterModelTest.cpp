#include "Panel/StashItemFilterModel.h"
#include "Panel/StashItemListModel.h"
#include "Panel/StashItemPresentation.h"
#include "StoreFixture.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace holdra::test {
namespace {

using namespace Qt::StringLiterals;

class StashItemFilterModelTest : public StoreFixture
{
protected:
    StashItemFilterModelTest()
    {
        openStore();
        m_list.setStore(m_store.get());
        m_filter.setSourceModel(&m_list);
    }

    // The texts of the rows shown, top to bottom, joined by "|".
    QString shown() const
    {
        QStringList out;
        for (int row = 0; row < m_filter.rowCount(); ++row)
            out.append(m_filter.index(row, 0).data(StashItemListModel::TextRole).toString());
        return out.join(u'|');
    }
    QString idOf(const StashItem &item) const { return StashItemPresentation::idText(item.id()); }

    StashItemListModel m_list;
    StashItemFilterModel m_filter;
    // Checks every signal the filter sends against the rows it then reports.
    QAbstractItemModelTester m_tester{&m_filter, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

// The kept keys must travel with their rows: a key left behind after a move or
// a removal would show one row for another.
TEST_F(StashItemFilterModelTest, KeptKeysFollowInsertionsMovesRemovalsAndEdits)
{
    const StashItem a = m_store->addText(u"a report"_s);
    const StashItem b = m_store->addText(u"b"_s);
    const StashItem c = m_store->addText(u"c Report"_s);
    QSignalSpy counts(&m_filter, &StashItemFilterModel::countChanged);

    m_filter.setQuery(u"ＲＥＰＯＲＴ"_s);
    EXPECT_EQ(shown(), u"c Report|a report"_s);
    EXPECT_EQ(m_filter.count(), 2);
    EXPECT_EQ(counts.count(), 1);

    // b moves to the top; the rows' keys move with it.
    m_store->setLocked(true, {b.id()});
    EXPECT_EQ(shown(), u"c Report|a report"_s);
    // A note brings b in, a note on c does not take it out.
    m_store->setNote(u"季度 report"_s, b.id());
    EXPECT_EQ(shown(), u"b|c Report|a report"_s);
    m_store->setNote(u"x"_s, c.id());
    EXPECT_EQ(m_filter.count(), 3);

    // New rows are judged as they come.
    m_store->addText(u"d"_s);
    m_store->addText(u"e report"_s);
    EXPECT_EQ(shown(), u"b|e report|c Report|a report"_s);

    m_store->remove(QSet<QUuid>{c.id()});
    m_store->setNote(QString(), b.id());
    EXPECT_EQ(shown(), u"e report|a report"_s);
    EXPECT_EQ(m_filter.indexOfId(idOf(a)), 1);
    EXPECT_EQ(m_filter.indexOfId(idOf(b)), -1) << "hidden";
    EXPECT_TRUE(m_filter.allLocked({idOf(b)})) << "as the list model answers";
    EXPECT_FALSE(m_filter.allLocked({idOf(a)}));
    EXPECT_EQ(m_filter.sourceRows(), (QList<int>{1, 3}));

    m_filter.setQuery(u"  "_s);
    EXPECT_FALSE(m_filter.isFiltering());
    EXPECT_EQ(shown(), u"b|e report|d|a report"_s);
}

// Rows a query hid are skipped while the next query only narrows it; any
// other change of query judges every row again.
TEST_F(StashItemFilterModelTest, OnlyANarrowingQueryTrustsTheRowsTheLastOneHid)
{
    for (const QString &text : {u"abc"_s, u"bcd"_s, u"xbc"_s, u"ab"_s})
        m_store->addText(text);
    const std::pair<QString, QString> steps[] = {
        {u"ab"_s, u"ab|abc"_s}, {u"b"_s, u"ab|xbc|bcd|abc"_s}, {u"bc"_s, u"xbc|bcd|abc"_s},
        {u"bcd"_s, u"bcd"_s},   {u""_s, u"ab|xbc|bcd|abc"_s},  {u"x"_s, u"xbc"_s},
        {u"xb"_s, u"xbc"_s},    {u"c"_s, u"xbc|bcd|abc"_s},
    };
    for (const auto &[query, expected] : steps) {
        m_filter.setQuery(query);
        EXPECT_EQ(shown(), expected) << query.toStdString();
    }
}

TEST_F(StashItemFilterModelTest, ANewSourceOrNoneStartsAfresh)
{
    m_store->addText(u"纪要"_s);
    m_filter.setQuery(u"纪要"_s);
    EXPECT_EQ(m_filter.count(), 1);

    StashItemListModel other;
    m_filter.setSourceModel(&other);
    EXPECT_EQ(m_filter.count(), 0);
    other.setStore(m_store.get());
    EXPECT_EQ(shown(), u"纪要"_s) << "rows of a model that fills later";

    // Idle preparation ends, also when the rows go meanwhile.
    m_filter.prepareKeysWhileIdle();
    EXPECT_TRUE(m_filter.isPreparingKeys());
    m_store->removeAll();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !m_filter.isPreparingKeys(); }, 5000));

    m_filter.setSourceModel(nullptr);
    EXPECT_EQ(m_filter.count(), 0);
    EXPECT_EQ(m_filter.indexOfId(u"anything"_s), -1);
}

} // namespace
} // namespace holdra::test
