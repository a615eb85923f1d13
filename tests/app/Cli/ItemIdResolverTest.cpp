#include "Cli/ItemIdResolver.h"

#include <gtest/gtest.h>

using holdra::cli::ItemIdResolver;
using namespace Qt::StringLiterals;

TEST(ItemIdResolverTest, WholeIdsInAnyFormAndUniquePrefixesOfEightOrMoreResolve)
{
    const QUuid first(u"{3F2504E0-4F89-11D3-9A0C-0305E82C3301}"_s);
    const QUuid sibling(u"{3F2504E0-4F89-11D3-9A0C-0305E82C3302}"_s);
    const QUuid other(u"{A0000000-0000-4000-8000-000000000000}"_s);
    const ItemIdResolver resolver({first, sibling, other});
    const std::pair<QString, std::optional<QUuid>> cases[] = {
        {u"3f2504e0-4f89-11d3-9a0c-0305e82c3301"_s, first},
        {u"{3F2504E0-4F89-11D3-9A0C-0305E82C3302}"_s, sibling},
        {u" a0000000 "_s, other},
        {u"3F2504E0-4F89-11D3-9A0C-0305E82C330"_s, std::nullopt}, // two ids share it
        {u"A000000"_s, std::nullopt},                             // seven characters are too few
        {u"B0000000"_s, std::nullopt},
        {QString(), std::nullopt},
    };
    for (const auto &[typed, expected] : cases) {
        const ItemIdResolver::Result result = resolver.resolve(typed);
        const QUuid *id = std::get_if<QUuid>(&result);
        EXPECT_EQ(id ? std::optional(*id) : std::nullopt, expected) << typed.toStdString();
    }
}
