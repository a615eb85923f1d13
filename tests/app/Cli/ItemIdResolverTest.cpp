#include "Cli/ItemIdResolver.h"

#include <gtest/gtest.h>

using holdra::cli::ItemIdResolver;

namespace {

const QUuid first(QStringLiteral("{3F2504E0-4F89-11D3-9A0C-0305E82C3301}"));
const QUuid sibling(QStringLiteral("{3F2504E0-4F89-11D3-9A0C-0305E82C3302}"));
const QUuid other(QStringLiteral("{A0000000-0000-4000-8000-000000000000}"));

std::optional<QUuid> resolved(const QString &typed)
{
    const ItemIdResolver resolver({first, sibling, other});
    const ItemIdResolver::Result result = resolver.resolve(typed);
    if (const QUuid *id = std::get_if<QUuid>(&result))
        return *id;
    return std::nullopt;
}

TEST(ItemIdResolverTest, WholeIdsInAnyFormAndUniquePrefixesResolve)
{
    EXPECT_EQ(resolved(QStringLiteral("3f2504e0-4f89-11d3-9a0c-0305e82c3301")), first);
    EXPECT_EQ(resolved(QStringLiteral("{3F2504E0-4F89-11D3-9A0C-0305E82C3302}")), sibling);
    EXPECT_EQ(resolved(QStringLiteral(" a0000000 ")), other);
    EXPECT_EQ(resolved(QStringLiteral("3F2504E0-4F89-11D3-9A0C-0305E82C330")), std::nullopt)
        << "a prefix that two ids share is ambiguous";
    EXPECT_EQ(resolved(QStringLiteral("A000000")), std::nullopt) << "seven characters are too few";
    EXPECT_EQ(resolved(QStringLiteral("B0000000")), std::nullopt);
    EXPECT_EQ(resolved(QString()), std::nullopt);
}

} // namespace
