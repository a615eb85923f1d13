#include "Models/ItemSearch.h"
#include "Models/StashItem.h"
#include "Storage/StoredFile.h"

#include <gtest/gtest.h>

using namespace holdra;

namespace {

const QDateTime someDate = QDateTime(QDate(2026, 3, 1), QTime(8, 15, 30), Qt::UTC);

StashItem file(const QString &name, const std::optional<QString> &note = std::nullopt)
{
    StashItem item = StashItem::makeFile({QStringLiteral("ITEM/") + name, 10, name}, someDate);
    item.setNote(note);
    return item;
}

struct Case
{
    const char *what;
    StashItem item;
    QString query;
    bool matches;
};

} // namespace

TEST(ItemSearchTest, MatchesNameNoteTextAndLinkIgnoringCaseAndWidth)
{
    const QString longText = QStringLiteral("第一行摘要\n") + QString(300, u'x') + QStringLiteral("\n末尾的关键词 Needle");
    const Case cases[] = {
        {"name, other case", file(QStringLiteral("Quarterly Report.PDF")), QStringLiteral("report.pdf"), true},
        {"name, full-width query", file(QStringLiteral("report-2026.txt")), QStringLiteral("ＲＥＰＯＲＴ－２０２６"), true},
        {"name, full-width digits stored", file(QStringLiteral("２０２６年度报告.docx")), QStringLiteral("2026年度"), true},
        {"Chinese name, part of it", file(QStringLiteral("会议纪要.docx")), QStringLiteral("纪要"), true},
        {"Chinese name, other characters", file(QStringLiteral("会议纪要.docx")), QStringLiteral("合同"), false},
        {"Kangxi radical typed for the ideograph", file(QStringLiteral("人事.xlsx")), QStringLiteral("\u2F08事"), true},
        {"half-width katakana", file(QStringLiteral("カタカナ.txt")), QStringLiteral("ｶﾀｶﾅ"), true},
        {"Greek final sigma", file(QStringLiteral("ΟΔΟΣ.txt")), QStringLiteral("οδος"), true},
        {"note only", file(QStringLiteral("a.pdf"), QStringLiteral("客户合同 Draft")), QStringLiteral("合同 draft"), true},
        {"text beyond the name", StashItem::makeText(longText, someDate), QStringLiteral("关键词 NEEDLE"), true},
        {"link address", StashItem::makeLink(QStringLiteral("https://Example.com/Path?q=1"), QStringLiteral("Title"), someDate),
         QStringLiteral("example.com/path"), true},
        {"link title as name", StashItem::makeLink(QStringLiteral("https://a.example"), QStringLiteral("设计稿"), someDate),
         QStringLiteral("设计"), true},
        {"never across two fields", file(QStringLiteral("ab"), QStringLiteral("cd")), QStringLiteral("bc"), false},
        {"query padded with ideographic spaces", file(QStringLiteral("会议纪要.docx")), QStringLiteral("\u3000 纪要\u3000"), true},
        {"inner space is part of the query", file(QStringLiteral("rep ort.txt")), QStringLiteral("report"), false},
        {"blank query matches all", file(QStringLiteral("x")), QStringLiteral(" \u3000 "), true},
        {"separator in the query stays inside one field", file(QStringLiteral("ab"), QStringLiteral("cd")),
         QStringLiteral("b\u0000c"), false},
    };
    for (const Case &c : cases) {
        const ItemSearch search(c.query);
        EXPECT_EQ(search.matches(c.item), c.matches) << c.what;
        // The kept key answers as the item itself does.
        EXPECT_EQ(search.matches(ItemSearch::key(c.item)), c.matches) << c.what;
    }
}

TEST(ItemSearchTest, AKeyBuiltFromShownFieldsEqualsTheItemsKey)
{
    const StashItem link = StashItem::makeLink(QStringLiteral("https://例子.cn/ＡＢ"), QStringLiteral("标题"), someDate);
    EXPECT_EQ(ItemSearch::key(link.displayName(), QString(), QString(), *link.urlString()), ItemSearch::key(link));
    EXPECT_EQ(ItemSearch::folded(u"ＡＢｃ１２３Ｚ"), QStringLiteral("abc123z"));
}

TEST(ItemSearchTest, LongerQueriesNarrowShorterOnes)
{
    EXPECT_TRUE(ItemSearch(QStringLiteral("纪要")).narrows(ItemSearch(QStringLiteral("纪"))));
    EXPECT_TRUE(ItemSearch(QStringLiteral("ＲＥport")).narrows(ItemSearch(QStringLiteral("rep"))));
    EXPECT_TRUE(ItemSearch(QStringLiteral("a")).narrows(ItemSearch()));
    EXPECT_FALSE(ItemSearch(QStringLiteral("rep")).narrows(ItemSearch(QStringLiteral("report"))));
    EXPECT_FALSE(ItemSearch(QStringLiteral("ab")).narrows(ItemSearch(QStringLiteral("ba"))));
}
