#include "Support/DateText.h"

#include <gtest/gtest.h>

// Lists show the month-name date without weekday and the time without seconds, in the
// reader's own locale; the short numeric date or a seconds field would be a regression.
TEST(DateTextTest, AbbreviatedDateWithoutWeekdayAndShortTime)
{
    const QDateTime when(QDate(2025, 1, 3), QTime(14, 25, 1));
    const struct
    {
        const char *locale;
        const char *expected;
    } cases[] = {
        {"zh_CN", "2025年1月3日 14:25"},
        {"en_US", "Jan 3, 2025 2:25 PM"},
        {"de_DE", "3. Jan. 2025 14:25"},
        {"C", "3 Jan 2025 14:25"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(holdra::abbreviatedDateTime(when, QLocale(QString::fromLatin1(c.locale))),
                  QString::fromUtf8(c.expected))
            << c.locale;
}
