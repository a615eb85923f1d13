#include "Support/DateText.h"

#include <QRegularExpression>

namespace holdra {
namespace {

// Qt has no medium date style; the long one minus its weekday, with the month abbreviated,
// is what the desktops call abbreviated.
QString abbreviatedDatePattern(const QLocale &locale)
{
    QString pattern = locale.dateFormat(QLocale::LongFormat);
    static const QRegularExpression weekday(QStringLiteral("[,，\\s]*d{4}[,，\\s]*"));
    const QRegularExpressionMatch match = weekday.match(pattern);
    if (match.hasMatch()) {
        const bool atEdge = match.capturedStart() == 0 || match.capturedEnd() == pattern.size();
        pattern.replace(match.capturedStart(), match.capturedLength(), atEdge ? QString() : QStringLiteral(" "));
    }
    pattern.replace(QStringLiteral("MMMM"), QStringLiteral("MMM"));
    return pattern.trimmed();
}

// Some locales (C among them) put seconds in their short time; lists never show them.
QString shortTimePattern(const QLocale &locale)
{
    static const QRegularExpression seconds(QStringLiteral("[:.]?s+([.,]z+)?"));
    return locale.timeFormat(QLocale::ShortFormat).remove(seconds).trimmed();
}

} // namespace

QString abbreviatedDateTime(const QDateTime &dateTime, const QLocale &locale)
{
    const QDateTime local = dateTime.toLocalTime();
    return locale.toString(local.date(), abbreviatedDatePattern(locale)) + QLatin1Char(' ')
        + locale.toString(local.time(), shortTimePattern(locale));
}

} // namespace holdra
