#include "Panel/FileIconNames.h"

#include <QSet>
#include <QStringList>
#include <gtest/gtest.h>

namespace holdra {
namespace {

using namespace Qt::StringLiterals;

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
    const QString pdf = u"/s/A/report.pdf"_s, own = u"application-pdf"_s, generic = u"x-office-document"_s;
    const struct
    {
        const char *what;
        std::optional<QString> path;
        bool isDirectory;
        QSet<QString> drawn;
        QString expected;
    } cases[] = {
        {"the type's own icon", pdf, false, {own, generic}, own},
        {"the generic icon when the theme lacks the type's", pdf, false, {generic}, generic},
        {"nothing when the theme has neither", pdf, false, {}, QString()},
        {"a folder whatever the theme says", u"/s/A/Photos.pdf"_s, true, {}, u"folder"_s},
        {"nothing without a stored copy", std::nullopt, false, {own}, QString()},
        {"by the name alone: an upper-case extension", u"/s/A/PHOTO.PNG"_s, false, {u"image-png"_s}, u"image-png"_s},
    };
    for (const auto &c : cases) {
        FakeTheme theme{c.drawn, {}};
        EXPECT_EQ(FileIconNames(theme.probe()).forCopy(c.path, c.isDirectory), c.expected) << c.what;
    }
}

TEST(FileIconNamesTest, AsksTheThemeOncePerTypeAndKeepsTypesApart)
{
    FakeTheme theme{{u"application-pdf"_s, u"image-x-generic"_s}, {}};
    FileIconNames icons(theme.probe());
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(icons.forCopy(u"/s/%1/r%1.pdf"_s.arg(i), false), u"application-pdf"_s);
        EXPECT_EQ(icons.forCopy(u"/s/%1/p%1.png"_s.arg(i), false), u"image-x-generic"_s);
    }
    // The pdf's own icon at once; the png's own icon, then its generic one.
    EXPECT_EQ(theme.asked, (QStringList{u"application-pdf"_s, u"image-png"_s, u"image-x-generic"_s}));

    // A type whose answer was "none" is not asked again either.
    theme.asked.clear();
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(icons.forCopy(u"/s/x/notes%1.txt"_s.arg(i), false).isEmpty());
    EXPECT_EQ(theme.asked.size(), 2);
}

} // namespace
} // namespace holdra
