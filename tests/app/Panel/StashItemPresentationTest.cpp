#include "Panel/StashItemPresentation.h"
#include "Panel/FileIconNames.h"
#include "Support/DateText.h"

#include <QSet>
#include <gtest/gtest.h>

namespace holdra {
namespace {

using namespace Qt::StringLiterals;

const QDateTime created(QDate(2026, 3, 1), QTime(8, 30), Qt::UTC);

StashItem imageItem()
{
    StoredFile stored{u"A/photo.png"_s, 2 * 1000 * 1000, u"photo.png"_s};
    return StashItem::makeImage(stored, QSizeF(1920, 1080), created);
}

TEST(StashItemPresentationTest, SubtitlesPreferPixelsThenBytesThenTheLinkHost)
{
    const QString date = abbreviatedDateTime(created);
    const StashItem image = imageItem();
    EXPECT_EQ(StashItemPresentation::subtitle(image, false), u"图片 · "_s + *image.pixelSizeText() + u" · "_s + date);

    const StashItem link = StashItem::makeLink(u"https://news.example.com/a"_s, std::nullopt, created);
    EXPECT_EQ(StashItemPresentation::subtitle(link, false), u"链接 · news.example.com · "_s + date);

    // A link that does not parse, or has no host, adds no host part.
    for (const QString &url : {u"not a url at all %%"_s, u"mailto:someone"_s}) {
        const StashItem odd = StashItem::makeLink(url, std::nullopt, created);
        EXPECT_EQ(StashItemPresentation::subtitle(odd, false), u"链接 · "_s + date) << url.toStdString();
    }

    StoredFile recording{u"B/voice.m4a"_s, 4096, u"voice.m4a"_s};
    const StashItem audio = StashItem::makeAudio(recording, 65.0, u"voice"_s, created);
    EXPECT_EQ(StashItemPresentation::subtitle(audio, false),
              u"录音 · 1:05 · "_s + *audio.byteSizeText() + u" · "_s + date);
}

// The icon theme's name for a stored copy, with a theme that draws the names it is given.
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
