#include "Panel/StashItemPresentation.h"
#include "Support/DateText.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace holdra {
namespace {

const QDateTime created(QDate(2026, 3, 1), QTime(8, 30), Qt::UTC);

StashItem imageItem()
{
    StoredFile stored{QStringLiteral("A/photo.png"), 2 * 1000 * 1000, QStringLiteral("photo.png")};
    return StashItem::makeImage(stored, QSizeF(1920, 1080), created);
}

TEST(StashItemPresentationTest, SubtitlesPreferPixelsThenBytesThenTheLinkHost)
{
    const QString date = abbreviatedDateTime(created);
    const StashItem image = imageItem();
    EXPECT_EQ(StashItemPresentation::subtitle(image, false),
              QStringLiteral("图片 · ") + *image.pixelSizeText() + QStringLiteral(" · ") + date);

    const StashItem link = StashItem::makeLink(QStringLiteral("https://news.example.com/a"), std::nullopt, created);
    EXPECT_EQ(StashItemPresentation::subtitle(link, false), QStringLiteral("链接 · news.example.com · ") + date);

    // A link that does not parse, or has no host, adds no host part.
    for (const QString &url : {QStringLiteral("not a url at all %%"), QStringLiteral("mailto:someone")}) {
        const StashItem odd = StashItem::makeLink(url, std::nullopt, created);
        EXPECT_EQ(StashItemPresentation::subtitle(odd, false), QStringLiteral("链接 · ") + date) << url.toStdString();
    }

    StoredFile recording{QStringLiteral("B/voice.m4a"), 4096, QStringLiteral("voice.m4a")};
    const StashItem audio = StashItem::makeAudio(recording, 65.0, QStringLiteral("voice"), created);
    EXPECT_EQ(StashItemPresentation::subtitle(audio, false),
              QStringLiteral("录音 · 1:05 · ") + *audio.byteSizeText() + QStringLiteral(" · ") + date);

    StoredFile folder{QStringLiteral("C/Folder"), 10, QStringLiteral("Folder")};
    const StashItem directory = StashItem::makeFile(folder, created);
    EXPECT_TRUE(StashItemPresentation::subtitle(directory, true).startsWith(QStringLiteral("文件夹 · ")));
}

} // namespace
} // namespace holdra
