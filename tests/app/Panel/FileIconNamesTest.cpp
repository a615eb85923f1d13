#include "Panel/FileIconNames.h"

#include <QSet>
#include <QStringList>
#include <gtest/gtest.h>

namespace holdra {
namespace {

// A theme that draws the names it is given and counts what it was asked.
struct FakeTheme
{
    QSet<QString> drawn;
    QStringList asked;

    FileIconNames::ThemeProbe probe()
    {
        return [this](const QString &name) {
            asked.append(name);
            return drawn.contains(name);
        };
    }
};

TEST(FileIconNamesTest, PrefersTheTypesIconThenItsGenericOneThenNothing)
{
    struct Case
    {
        const char *what;
        std::optional<QString> path;
        bool isDirectory;
        QSet<QString> drawn;
        QString expected;
    };
    const QList<Case> cases = {
        {"the type's own icon",
         QStringLiteral("/s/A/report.pdf"),
         false,
         {QStringLiteral("application-pdf"), QStringLiteral("x-office-document")},
         QStringLiteral("application-pdf")},
        {"the generic icon when the theme lacks the type's",
         QStringLiteral("/s/A/report.pdf"),
         false,
         {QStringLiteral("x-office-document")},
         QStringLiteral("x-office-document")},
        {"nothing when the theme has neither", QStringLiteral("/s/A/report.pdf"), false, {}, QString()},
        {"a folder whatever the theme says", QStringLiteral("/s/A/Photos.pdf"), true, {}, QStringLiteral("folder")},
        {"nothing without a stored copy", std::nullopt, false, {QStringLiteral("application-pdf")}, QString()},
        {"by the name alone: an upper-case extension",
         QStringLiteral("/s/A/PHOTO.PNG"),
         false,
         {QStringLiteral("image-png")},
         QStringLiteral("image-png")},
    };
    for (const Case &c : cases) {
        FakeTheme theme{c.drawn, {}};
        FileIconNames icons(theme.probe());
        EXPECT_EQ(icons.forCopy(c.path, c.isDirectory), c.expected) << c.what;
    }
}

TEST(FileIconNamesTest, AsksTheThemeOncePerTypeAndKeepsTypesApart)
{
    FakeTheme theme{{QStringLiteral("application-pdf"), QStringLiteral("image-x-generic")}, {}};
    FileIconNames icons(theme.probe());
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(icons.forCopy(QStringLiteral("/s/%1/r%1.pdf").arg(i), false), "application-pdf");
        EXPECT_EQ(icons.forCopy(QStringLiteral("/s/%1/p%1.png").arg(i), false), "image-x-generic");
    }
    // The pdf's own icon at once; the png's own icon, then its generic one.
    EXPECT_EQ(theme.asked, (QStringList{"application-pdf", "image-png", "image-x-generic"}));

    // A type whose answer was "none" is not asked again either.
    theme.asked.clear();
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(icons.forCopy(QStringLiteral("/s/x/notes%1.txt").arg(i), false).isEmpty());
    EXPECT_EQ(theme.asked.size(), 2);
}

} // namespace
} // namespace holdra
