#include "Integration/KelvarnIntegrationContract.h"
#include "QtPrinters.h"
#include "TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

#include <limits>

using namespace holdra;
using namespace Qt::StringLiterals;
namespace Kelvarn = KelvarnIntegrationContract;

namespace {

bool supports(const QVariant &value)
{
    return Kelvarn::supportsTargetDisplay(
        QVariantMap{{QString::fromLatin1(Kelvarn::targetDisplayCapabilityInfoKey), value}});
}

} // namespace

// The desktop entry's capability key holds a positive integer; anything else is "no".
TEST(KelvarnIntegrationContractTest, CapabilityFollowsTheIntegerGrammar)
{
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    for (const QVariant &yes :
         {QVariant(u"1"_s), QVariant(u"0002"_s), QVariant(1), QVariant(1.5), QVariant(u"9223372036854775807"_s)})
        EXPECT_TRUE(supports(yes)) << yes.toString().toStdString();
    for (const QVariant &no : {QVariant(u"0"_s), QVariant(u"-1"_s), QVariant(u"1.0"_s), QVariant(u" 1"_s),
                               QVariant(u"１"_s), QVariant(u"0x1"_s), QVariant(u"9223372036854775808"_s), QVariant(0.5),
                               QVariant(nan), QVariant(true), QVariant()})
        EXPECT_FALSE(supports(no)) << no.toString().toStdString();
    EXPECT_FALSE(Kelvarn::supportsTargetDisplay(std::nullopt));
    EXPECT_FALSE(Kelvarn::supportsTargetDisplay(QVariantMap{{u"Name"_s, u"Kelvarn"_s}}));
    // Desktop entry keys are case-sensitive.
    EXPECT_FALSE(Kelvarn::supportsTargetDisplay(
        QVariantMap{{QString::fromLatin1(Kelvarn::targetDisplayCapabilityInfoKey).toLower(), u"1"_s}}));
}

// Up to 128 UTF-8 bytes of letters, marks, digits, "-" and "_": nothing else can
// ride along in the query.
TEST(KelvarnIntegrationContractTest, DisplayIdentifierGrammar)
{
    const std::optional<QUrl> url = Kelvarn::openTodayFolderURL(u"显示器-2_A"_s);
    ASSERT_TRUE(url);
    EXPECT_EQ(url->toEncoded(), "kelvarn://open-today-folder?display-id=%E6%98%BE%E7%A4%BA%E5%99%A8-2_A");

    const QString ascii128(128, u'a');
    // 42 three-byte characters and two ASCII ones make 128 bytes from 44 characters.
    const QString wide128 = QString(42, QChar(u'显')) + u"ab"_s;
    for (const QString &accepted : {ascii128, wide128, u"e\u0301\u0663"_s /* combining accent, Arabic-Indic three */})
        EXPECT_TRUE(Kelvarn::openTodayFolderURL(accepted)) << accepted.toStdString();
    for (const QString &refused : {QString(ascii128 + u'a'), QString(wide128 + u'c'), QString(), u"a b"_s,
                                   u"a&display-id=b"_s, u"a%41"_s, u"😀"_s, QString(QString(QChar(0xD800)) + u'a')})
        EXPECT_EQ(Kelvarn::openTodayFolderURL(refused), std::nullopt) << refused.toStdString();
}

TEST(KelvarnIntegrationContractTest, SchemeMustReachTheRegisteredCopy)
{
    test::TempDir dir;
    const QString entry = dir.write(u"applications/com.tessavel.Kelvarn.desktop"_s, "[Desktop Entry]\n");
    const QString secondCopy = dir.write(u"other/com.tessavel.Kelvarn.desktop"_s, "[Desktop Entry]\n");
    const QString link = dir.filePath(u"link.desktop"_s);
    ASSERT_TRUE(QFile::link(entry, link));
    const QUrl installed = QUrl::fromLocalFile(entry);
    const QString id = QString::fromLatin1(Kelvarn::bundleIdentifier);

    using Kelvarn::canOpenTodayFolder;
    EXPECT_TRUE(canOpenTodayFolder(installed, installed, id));
    EXPECT_TRUE(canOpenTodayFolder(installed, QUrl::fromLocalFile(link), id));
    const QString roundabout = dir.filePath(u"other/../applications//com.tessavel.Kelvarn.desktop"_s);
    EXPECT_TRUE(canOpenTodayFolder(installed, QUrl::fromLocalFile(roundabout), id));
    EXPECT_FALSE(canOpenTodayFolder(installed, QUrl::fromLocalFile(secondCopy), id));
    EXPECT_FALSE(canOpenTodayFolder(installed, installed, u"org.example.Impostor"_s));
    EXPECT_FALSE(canOpenTodayFolder(std::nullopt, installed, id));
    EXPECT_FALSE(canOpenTodayFolder(QUrl(), QUrl(), id));
    EXPECT_FALSE(canOpenTodayFolder(Kelvarn::homepageURL(), Kelvarn::homepageURL(), id));
}
