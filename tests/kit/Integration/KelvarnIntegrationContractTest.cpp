#include "Integration/KelvarnIntegrationContract.h"
#include "QtPrinters.h"
#include "TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

#include <limits>

using namespace holdra;
namespace Kelvarn = KelvarnIntegrationContract;

namespace {

std::optional<QVariantMap> capability(const QVariant &value)
{
    return QVariantMap{{QString::fromLatin1(Kelvarn::targetDisplayCapabilityInfoKey), value}};
}

} // namespace

TEST(KelvarnIntegrationContractTest, PlainURLAndIdentifiers)
{
    EXPECT_EQ(Kelvarn::openTodayFolderURL().toString(), QStringLiteral("kelvarn://open-today-folder"));
    EXPECT_EQ(QString::fromLatin1(Kelvarn::bundleIdentifier) + QStringLiteral(".desktop"),
              QString::fromLatin1(Kelvarn::desktopEntryName));
    EXPECT_EQ(Kelvarn::homepageURL().scheme(), QStringLiteral("https"));
}

TEST(KelvarnIntegrationContractTest, CapabilityFollowsTheIntegerGrammar)
{
    for (const QVariant &value : {QVariant(QStringLiteral("1")), QVariant(QStringLiteral("+1")), QVariant(QStringLiteral("0002")),
                                  QVariant(1), QVariant(qulonglong(std::numeric_limits<qulonglong>::max())),
                                  QVariant(1.5), QVariant(QStringLiteral("9223372036854775807"))}) {
        EXPECT_TRUE(Kelvarn::supportsTargetDisplay(capability(value))) << value.toString().toStdString();
    }
    for (const QVariant &value :
         {QVariant(QStringLiteral("0")), QVariant(QStringLiteral("-1")), QVariant(QStringLiteral("1.0")),
          QVariant(QStringLiteral(" 1")), QVariant(QStringLiteral("1 ")), QVariant(QString()), QVariant(QStringLiteral("+")),
          QVariant(QStringLiteral("１")), QVariant(QStringLiteral("0x1")), QVariant(QStringLiteral("9223372036854775808")),
          QVariant(0), QVariant(-3), QVariant(0.5), QVariant(std::numeric_limits<double>::infinity()),
          QVariant(std::numeric_limits<double>::quiet_NaN()), QVariant(true), QVariant(QStringList{QStringLiteral("1")}),
          QVariant()}) {
        EXPECT_FALSE(Kelvarn::supportsTargetDisplay(capability(value))) << value.toString().toStdString();
    }
    EXPECT_FALSE(Kelvarn::supportsTargetDisplay(std::nullopt));
    EXPECT_FALSE(Kelvarn::supportsTargetDisplay(QVariantMap{}));
    EXPECT_FALSE(Kelvarn::supportsTargetDisplay(QVariantMap{{QStringLiteral("Name"), QStringLiteral("Kelvarn")}}));
    // Desktop entry keys are case-sensitive.
    EXPECT_FALSE(Kelvarn::supportsTargetDisplay(
        QVariantMap{{QString::fromLatin1(Kelvarn::targetDisplayCapabilityInfoKey).toLower(), QStringLiteral("1")}}));
}

TEST(KelvarnIntegrationContractTest, DisplayIdentifierIsLimitedTo128UTF8Bytes)
{
    const QString ascii128(128, u'a');
    ASSERT_TRUE(Kelvarn::openTodayFolderURL(ascii128));
    EXPECT_EQ(Kelvarn::openTodayFolderURL(ascii128)->toString(), QStringLiteral("kelvarn://open-today-folder?display-id=") + ascii128);
    EXPECT_EQ(Kelvarn::openTodayFolderURL(ascii128 + u'a'), std::nullopt);

    // 42 three-byte characters and two ASCII ones make 128 bytes from 44 characters.
    const QString wide = QString(42, QChar(u'显')) + QStringLiteral("ab");
    EXPECT_TRUE(Kelvarn::openTodayFolderURL(wide));
    EXPECT_EQ(Kelvarn::openTodayFolderURL(wide + u'c'), std::nullopt);
    EXPECT_EQ(Kelvarn::openTodayFolderURL(QString()), std::nullopt);
}

TEST(KelvarnIntegrationContractTest, DisplayIdentifierAllowsLettersMarksDigitsDashAndUnderscore)
{
    const std::optional<QUrl> url = Kelvarn::openTodayFolderURL(QStringLiteral("显示器-2_A"));
    ASSERT_TRUE(url);
    EXPECT_EQ(url->toEncoded(), QByteArray("kelvarn://open-today-folder?display-id=%E6%98%BE%E7%A4%BA%E5%99%A8-2_A"));

    EXPECT_TRUE(Kelvarn::openTodayFolderURL(QStringLiteral("runtime-1")));
    EXPECT_TRUE(Kelvarn::openTodayFolderURL(QStringLiteral("7F3A09C2-1B4D-5E6F-8A9B-0C1D2E3F4A5B")));
    EXPECT_TRUE(Kelvarn::openTodayFolderURL(QStringLiteral("e\u0301\u0663"))); // combining accent, Arabic-Indic three

    for (const QString &refused : {QStringLiteral("a b"), QStringLiteral("a/b"), QStringLiteral("a.b"), QStringLiteral("a?b"),
                                   QStringLiteral("a&display-id=b"), QStringLiteral("a=b"), QStringLiteral("a+b"),
                                   QStringLiteral("a%41"), QStringLiteral("😀"), QStringLiteral("a\nb"),
                                   QString(QChar(0xD800)) + u'a'}) {
        EXPECT_EQ(Kelvarn::openTodayFolderURL(refused), std::nullopt) << refused.toStdString();
    }
}

TEST(KelvarnIntegrationContractTest, SchemeMustReachTheRegisteredCopy)
{
    test::TempDir dir;
    const QString entry = dir.write(QStringLiteral("applications/com.tessavel.Kelvarn.desktop"), "[Desktop Entry]\n");
    const QString secondCopy = dir.write(QStringLiteral("other/com.tessavel.Kelvarn.desktop"), "[Desktop Entry]\n");
    const QString link = dir.filePath(QStringLiteral("link.desktop"));
    ASSERT_TRUE(QFile::link(entry, link));

    const QUrl installed = QUrl::fromLocalFile(entry);
    const QString id = QString::fromLatin1(Kelvarn::bundleIdentifier);

    EXPECT_TRUE(Kelvarn::canOpenTodayFolder(installed, installed, id));
    EXPECT_TRUE(Kelvarn::canOpenTodayFolder(installed, QUrl::fromLocalFile(link), id));
    EXPECT_TRUE(Kelvarn::canOpenTodayFolder(installed, QUrl::fromLocalFile(dir.filePath(QStringLiteral("other/../applications//com.tessavel.Kelvarn.desktop"))), id));

    EXPECT_FALSE(Kelvarn::canOpenTodayFolder(installed, QUrl::fromLocalFile(secondCopy), id));
    EXPECT_FALSE(Kelvarn::canOpenTodayFolder(installed, installed, QStringLiteral("com.tessavel.kelvarn")));
    EXPECT_FALSE(Kelvarn::canOpenTodayFolder(installed, installed, QStringLiteral("org.example.Impostor")));
    EXPECT_FALSE(Kelvarn::canOpenTodayFolder(std::nullopt, installed, id));
    EXPECT_FALSE(Kelvarn::canOpenTodayFolder(installed, std::nullopt, id));
    EXPECT_FALSE(Kelvarn::canOpenTodayFolder(installed, installed, std::nullopt));
    EXPECT_FALSE(Kelvarn::canOpenTodayFolder(QUrl(), QUrl(), id));
    EXPECT_FALSE(Kelvarn::canOpenTodayFolder(Kelvarn::homepageURL(), Kelvarn::homepageURL(), id));
}
