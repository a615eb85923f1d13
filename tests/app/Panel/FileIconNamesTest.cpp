#include "Panel/FileIconNames.h"

#include <QSet>
#include <gtest/gtest.h>

namespace holdra {
namespace {

using namespace Qt::StringLiterals;

TEST(FileIconNamesTest, PrefersTheTypesIconThenItsGenericOneThenNothing)
{
    const QString pdf = u"/s/A/report.pdf"_s, own = u"application-pdf"_s, generic = u"x-office-document"_s;
    const struct
    {
        const char *what;
        std::optional<QString> path;
        bool isDirectory;
        QSet<QString> drawn; // the names the theme has an icon for
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
        FileIconNames icons([&](const QString &name) { return c.drawn.contains(name); });
        EXPECT_EQ(icons.forCopy(c.path, c.isDirectory), c.expected) << c.what;
    }
}

} // namespace
} // namespace holdra
