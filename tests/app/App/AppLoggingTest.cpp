#include "App/AppLogging.h"

#include <QRegularExpression>
#include <QSet>
#include <QtGlobal>
#include <gtest/gtest.h>

using namespace holdra;

namespace {

const QList<const QLoggingCategory *> &everyArea()
{
    static const QList<const QLoggingCategory *> areas = {
        &lcStore(), &lcStorage(), &lcImport(), &lcAudio(), &lcApp(), &lcViews(), &lcX11(),
        &lcHotKey(), &lcIpc(), &lcIntegration(), &lcLoginItem(), &lcDrag(),
    };
    return areas;
}

} // namespace

// Debug lines stay out of a user's log (and journal) until asked for, by the
// rule the README gives; warnings and information always get through.
TEST(AppLoggingTest, DebugLinesAreOffUntilTheDocumentedRuleTurnsThemOn)
{
    QSet<QString> names;
    for (const QLoggingCategory *area : everyArea()) {
        const QString name = QString::fromLatin1(area->categoryName());
        SCOPED_TRACE(name.toStdString());
        EXPECT_TRUE(name.startsWith(u"holdra."));
        EXPECT_FALSE(names.contains(name));
        names.insert(name);
        EXPECT_TRUE(area->isWarningEnabled());
        EXPECT_TRUE(area->isInfoEnabled());
        EXPECT_FALSE(area->isDebugEnabled());
    }
    QLoggingCategory::setFilterRules(QStringLiteral("holdra.*.debug=true"));
    for (const QLoggingCategory *area : everyArea())
        EXPECT_TRUE(area->isDebugEnabled()) << area->categoryName();
    QLoggingCategory::setFilterRules(QString());
    EXPECT_FALSE(lcStore().isDebugEnabled());
}

TEST(AppLoggingTest, TheShelfsLinesCarryTimeAreaAndLevel)
{
    qSetMessagePattern(QLatin1String(logMessagePattern));
    const QMessageLogContext context("StashStore.cpp", 1, "commit", "holdra.store");
    const QString line = qFormatLogMessage(QtWarningMsg, context, QStringLiteral("change not saved"));
    qSetMessagePattern(QString());
    const QRegularExpression expected(
        QStringLiteral(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} holdra\.store warning: change not saved$)"));
    EXPECT_TRUE(expected.match(line).hasMatch()) << line.toStdString();
}
