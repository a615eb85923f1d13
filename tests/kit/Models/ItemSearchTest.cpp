#include "Models/ItemSearch.h"
#include "Models/StashItem.h"
#include "Storage/StoredFile.h"

#include <gtest/gtest.h>

using namespace holdra;
using namespace Qt::StringLiterals;

namespace {

const QDateTime someDate = QDateTime(QDate(2026, 3, 1), QTime(8, 15, 30), Qt::UTC);

StashItem file(const QString &name, const std::optional<QString> &note = std::nullopt)
{
    StashItem item = StashItem::makeFile({u"ITEM/"_s + name, 10, name}, someDate);
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
    const QString longText = u"第一行摘要\n"_s + QString(300, u'x') + u"\n末尾的关键词 Needle"_s;
    const Case cases[] = {
        {"name, other case", file(u"Quarterly Report.PDF"_s), u"report.pdf"_s, true},
        {"name, full-width query", file(u"report-2026.txt"_s), u"ＲＥＰＯＲＴ－２０２６"_s, true},
        {"name, full-width digits stored", file(u"２０２６年度报告.docx"_s), u"2026年度"_s, true},
        {"Chinese name, part of it", file(u"会议纪要.docx"_s), u"纪要"_s, true},
        {"Chinese name, other characters", file(u"会议纪要.docx"_s), u"合同"_s, false},
        {"Kangxi radical typed for the ideograph", file(u"人事.xlsx"_s), u"\u2F08事"_s, true},
        {"half-width katakana", file(u"カタカナ.txt"_s), u"ｶﾀｶﾅ"_s, true},
        {"Greek final sigma", file(u"ΟΔΟΣ.txt"_s), u"οδος"_s, true},
        {"note only", file(u"a.pdf"_s, u"客户合同 Draft"_s), u"合同 draft"_s, true},
        {"text beyond the name", StashItem::makeText(longText, someDate), u"关键词 NEEDLE"_s, true},
        {"link address", StashItem::makeLink(u"https://Example.com/Path?q=1"_s, u"Title"_s, someDate),
         u"example.com/path"_s, true},
        {"link title as name", StashItem::makeLink(u"https://a.example"_s, u"设计稿"_s, someDate), u"设计"_s, true},
        {"never across two fields", file(u"ab"_s, u"cd"_s), u"bc"_s, false},
        {"query padded with ideographic spaces", file(u"会议纪要.docx"_s), u"\u3000 纪要\u3000"_s, true},
        {"inner space is part of the query", file(u"rep ort.txt"_s), u"report"_s, false},
        {"blank query matches all", file(u"x"_s), u" \u3000 "_s, true},
        {"separator in the query stays inside one field", file(u"ab"_s, u"cd"_s), u"b\u0000c"_s, false},
    };
    for (const Case &c : cases) {
        const ItemSearch search(c.query);
        EXPECT_EQ(search.matches(c.item), c.matches) << c.what;
        // The kept key answers as the item itself does.
        EXPECT_EQ(search.matches(ItemSearch::key(c.item)), c.matches) << c.what;
    }
}

TEST(ItemSearchTest, LongerQueriesNarrowShorterOnes)
{
    EXPECT_TRUE(ItemSearch(u"纪要"_s).narrows(ItemSearch(u"纪"_s)));
    EXPECT_TRUE(ItemSearch(u"ＲＥport"_s).narrows(ItemSearch(u"rep"_s)));
    EXPECT_TRUE(ItemSearch(u"a"_s).narrows(ItemSearch()));
    EXPECT_FALSE(ItemSearch(u"rep"_s).narrows(ItemSearch(u"report"_s)));
    EXPECT_FALSE(ItemSearch(u"ab"_s).narrows(ItemSearch(u"ba"_s)));
}
