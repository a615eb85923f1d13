#include "Panel/KeyedListModel.h"

#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <algorithm>

namespace holdra {
namespace {

using namespace Qt::StringLiterals;

struct Row
{
    QUuid id;
    QString text;

    QUuid key() const { return id; }
    friend bool operator==(const Row &, const Row &) = default;
};

QStringList textsOf(const QList<Row> &rows)
{
    QStringList out;
    for (const Row &row : rows)
        out.append(row.text);
    return out;
}

class Model : public KeyedListModel<Row>
{
public:
    Model()
    {
        connect(this, &QAbstractItemModel::modelReset, this, [this] { ++resets; });
        connect(this, &QAbstractItemModel::rowsMoved, this, [this] { ++moves; });
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        return role == Qt::DisplayRole ? rows()[index.row()].text : QVariant();
    }
    void set(const QList<Row> &target) { replaceRows(target); }
    // Looks keys up in the order of `keys`, as a model following a new list does.
    QList<const Row *> findInOrder(const QList<Row> &keys) const
    {
        QList<const Row *> found;
        int next = 0;
        for (const Row &row : keys)
            found.append(rowWithKey(row.id, next));
        return found;
    }
    QStringList texts() const { return textsOf(rows()); }
    void synchronize() override {}
    int resets = 0;
    int moves = 0;
};

QList<Row> makeRows(int count)
{
    QList<Row> rows;
    for (int i = 0; i < count; ++i)
        rows.append({QUuid::createUuid(), QString::number(i)});
    return rows;
}

// A target made of the current rows by one local edit (a run inserted or
// removed, a text changed) or by anything at all (shuffled, thinned out).
QList<Row> nextTarget(const QList<Row> &current, const QList<Row> &pool, QRandomGenerator &random)
{
    QList<Row> target;
    const int at = current.isEmpty() ? 0 : random.bounded(int(current.size()) + 1);
    switch (random.bounded(4)) {
    case 0: // a run of new rows
        target = current;
        for (int i = random.bounded(1, 4); i > 0; --i)
            target.insert(at, Row{QUuid::createUuid(), u"new"_s});
        return target;
    case 1: // a run of rows gone
        target = current;
        target.remove(
            std::min<qsizetype>(at, target.size()),
            std::min<qsizetype>(random.bounded(1, 4), target.size() - std::min<qsizetype>(at, target.size())));
        return target;
    default:
        for (const Row &row : pool) {
            if (random.bounded(3) != 0)
                target.append(row);
        }
        std::shuffle(target.begin(), target.end(), random);
        if (random.bounded(2) == 0 && !target.isEmpty())
            target[random.bounded(int(target.size()))].text += u"*"_s;
        return target;
    }
}

TEST(KeyedListModelTest, ReachesAnyTargetThroughConsistentSignals)
{
    Model model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QList<Row> pool = makeRows(40);
    QRandomGenerator random(7);
    QList<Row> previous;
    for (int round = 0; round < 400; ++round) {
        const QList<Row> target = nextTarget(previous, pool, random);
        model.set(target);
        ASSERT_EQ(model.texts(), textsOf(target)) << "round " << round;
        for (int i = 0; i < target.size(); ++i)
            ASSERT_EQ(model.rowOf(target[i].id), i);
        // The ordered lookups find every listed row, and none of the rows that went.
        const QList<const Row *> found = model.findInOrder(target);
        for (int i = 0; i < target.size(); ++i)
            ASSERT_TRUE(found[i] && found[i]->id == target[i].id) << "round " << round << ", row " << i;
        const QList<const Row *> earlier = model.findInOrder(previous);
        for (int i = 0; i < previous.size(); ++i) {
            const bool listed = model.rowOf(previous[i].id) >= 0;
            ASSERT_EQ(earlier[i] != nullptr, listed) << "round " << round;
            if (earlier[i]) {
                ASSERT_EQ(earlier[i]->id, previous[i].id) << "round " << round;
            }
        }
        previous = target;
    }
    EXPECT_EQ(model.resets, 0);
}

TEST(KeyedListModelTest, SmallChangesToALongListStaySmall)
{
    Model model;
    QList<Row> rows = makeRows(10000);
    model.set(rows);

    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    // The top row sinks to the middle: one move, not five thousand.
    QList<Row> sunk = rows;
    sunk.move(0, 5000);
    model.set(sunk);
    EXPECT_EQ(model.moves, 1);
    EXPECT_EQ(model.texts(), textsOf(sunk));

    // Two rows go, one arrives, one changes its text.
    QList<Row> edited = sunk;
    edited.removeAt(9000);
    edited.removeAt(10);
    edited.insert(3, Row{QUuid::createUuid(), u"new"_s});
    edited[7000].text = u"changed"_s;
    model.set(edited);
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(removed.count(), 2);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.first().at(0).toModelIndex().row(), 7000);
    EXPECT_EQ(model.texts(), textsOf(edited));

    // The same list again signals nothing.
    model.set(edited);
    EXPECT_EQ(inserted.count() + removed.count() + changed.count(), 1 + 2 + 1);
    EXPECT_EQ(model.moves, 1);
    EXPECT_EQ(model.resets, 0);
}

} // namespace
} // namespace holdra
