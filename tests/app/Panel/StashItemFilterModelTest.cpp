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

class StashItemFilterModelTest : public StoreFixture
{
protected:
    StashItemFilterModelTest()
    {
        openStore();
        m_list.setStore(m_store.get());
        m_filter.setSourceModel(&m_list);
    }

    QStringList shown() const
    {
        QStringList out;
        for (int row = 0; row < m_filter.rowCount(); ++row)
            out.append(m_filter.index(row, 0).data(StashItemListModel::TextRole).toString());
        return out;
    }

    StashItemListModel m_list;
    StashItemFilterModel m_filter;
    // Checks every signal the filter sends against the rows it then reports.
    QAbstractItemModelTester m_tester{&m_filter, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

// The kept keys must travel with their rows: a key left behind after a move or
// a removal would show one row for another.
TEST_F(StashItemFilterModelTest, KeptKeysFollowInsertionsMovesRemovalsAndEdits)
{
    const StashItem a = m_store->addText(QStringLiteral("a report"));
    const StashItem b = m_store->addText(QStringLiteral("b"));
    const StashItem c = m_store->addText(QStringLiteral("c Report"));
    QSignalSpy counts(&m_filter, &StashItemFilterModel::countChanged);

    m_filter.setQuery(QStringLiteral("ＲＥＰＯＲＴ"));
    EXPECT_EQ(shown(), (QStringList{"c Report", "a report"}));
    EXPECT_EQ(m_filter.count(), 2);
    EXPECT_EQ(counts.count(), 1);

    // b moves to the top; the rows' keys move with it.
    m_store->setLocked(true, {b.id()});
    EXPECT_EQ(shown(), (QStringList{"c Report", "a report"}));
    // A note brings b in, a note on c does not take it out.
    m_store->setNote(QStringLiteral("季度 report"), b.id());
    EXPECT_EQ(shown(), (QStringList{"b", "c Report", "a report"}));
    m_store->setNote(QStringLiteral("x"), c.id());
    EXPECT_EQ(m_filter.count(), 3);

    // New rows are judged as they come.
    m_store->addText(QStringLiteral("d"));
    m_store->addText(QStringLiteral("e report"));
    EXPECT_EQ(shown(), (QStringList{"b", "e report", "c Report", "a report"}));

    m_store->remove(QSet<QUuid>{c.id()});
    m_store->setNote(QString(), b.id());
    EXPECT_EQ(shown(), (QStringList{"e report", "a report"}));
    EXPECT_EQ(m_filter.indexOfId(StashItemPresentation::idText(a.id())), 1);
    EXPECT_EQ(m_filter.indexOfId(StashItemPresentation::idText(b.id())), -1) << "hidden";
    EXPECT_TRUE(m_filter.allLocked({StashItemPresentation::idText(b.id())})) << "as the list model answers";
    EXPECT_FALSE(m_filter.allLocked({StashItemPresentation::idText(a.id())}));
    EXPECT_EQ(m_filter.sourceRows(), (QList<int>{1, 3}));

    m_filter.setQuery(QStringLiteral("  "));
    EXPECT_FALSE(m_filter.isFiltering());
    EXPECT_EQ(shown(), (QStringList{"b", "e report", "d", "a report"}));
}

// Rows a query hid are skipped while the next query only narrows it; any
// other change of query judges every row again.
TEST_F(StashItemFilterModelTest, OnlyANarrowingQueryTrustsTheRowsTheLastOneHid)
{
    for (const char *text : {"abc", "bcd", "xbc", "ab"})
        m_store->addText(QString::fromLatin1(text));
    const struct
    {
        const char *query;
        QStringList shown;
    } steps[] = {
        {"ab", {"ab", "abc"}}, {"b", {"ab", "xbc", "bcd", "abc"}}, {"bc", {"xbc", "bcd", "abc"}},
        {"bcd", {"bcd"}},      {"", {"ab", "xbc", "bcd", "abc"}},  {"x", {"xbc"}},
        {"xb", {"xbc"}},       {"c", {"xbc", "bcd", "abc"}},
    };
    for (const auto &step : steps) {
        m_filter.setQuery(QString::fromLatin1(step.query));
        EXPECT_EQ(shown(), step.shown) << step.query;
    }
}

TEST_F(StashItemFilterModelTest, ANewSourceOrNoneStartsAfresh)
{
    m_store->addText(QStringLiteral("纪要"));
    m_filter.setQuery(QStringLiteral("纪要"));
    EXPECT_EQ(m_filter.count(), 1);

    StashItemListModel other;
    m_filter.setSourceModel(&other);
    EXPECT_EQ(m_filter.count(), 0);
    other.setStore(m_store.get());
    EXPECT_EQ(shown(), QStringList{"纪要"}) << "rows of a model that fills later";

    // Idle preparation ends, also when the rows go meanwhile.
    m_filter.prepareKeysWhileIdle();
    EXPECT_TRUE(m_filter.isPreparingKeys());
    m_store->removeAll();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !m_filter.isPreparingKeys(); }, 5000));

    m_filter.setSourceModel(nullptr);
    EXPECT_EQ(m_filter.count(), 0);
    EXPECT_EQ(m_filter.indexOfId(QStringLiteral("anything")), -1);
}

} // namespace
} // namespace holdra::test
