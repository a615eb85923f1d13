#include "Integration/KelvarnIntegrationContract.h"

#include <QDir>
#include <QFileInfo>
#include <QMetaType>
#include <QRegularExpression>
#include <QUrlQuery>

#include <algorithm>
#include <cmath>

namespace holdra::KelvarnIntegrationContract {

namespace {

// The integer grammar of the capability value: sign, then ASCII digits.
std::optional<qint64> parsedInteger(const QString &text)
{
    static const QRegularExpression grammar(QStringLiteral("\\A[+-]?[0-9]+\\z"));
    if (!grammar.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const qint64 value = text.toLongLong(&ok, 10);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

bool atLeastCapabilityVersion(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return parsedInteger(value.toString()).value_or(0) >= targetDisplayCapabilityVersion;
    case QMetaType::Double:
    case QMetaType::Float: {
        const double number = value.toDouble();
        return std::isfinite(number) && number >= double(targetDisplayCapabilityVersion);
    }
    case QMetaType::ULongLong:
    case QMetaType::ULong:
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::UChar:
        return value.toULongLong() >= quint64(targetDisplayCapabilityVersion);
    case QMetaType::LongLong:
    case QMetaType::Long:
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Char:
    case QMetaType::SChar:
        return value.toLongLong() >= targetDisplayCapabilityVersion;
    default:
        return false;
    }
}

bool isAllowedInDisplayID(char32_t scalar)
{
    return QChar::isLetterOrNumber(scalar) || QChar::isMark(scalar) || scalar == U'-' || scalar == U'_';
}

QString resolvedPath(const QUrl &url)
{
    if (!url.isLocalFile() || url.toLocalFile().isEmpty())
        return {};
    const QFileInfo info(url.toLocalFile());
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

} // namespace

QUrl openTodayFolderURL()
{
    return QUrl(QStringLiteral("kelvarn://open-today-folder"));
}

QUrl homepageURL()
{
    return QUrl(QStringLiteral("https://tessavel.com/kelvarn"));
}

bool supportsTargetDisplay(const std::optional<QVariantMap> &infoDictionary)
{
    if (!infoDictionary || infoDictionary->isEmpty())
        return false;
    const auto entry = infoDictionary->constFind(QString::fromLatin1(targetDisplayCapabilityInfoKey));
    if (entry == infoDictionary->constEnd())
        return false;
    return atLeastCapabilityVersion(*entry);
}

std::optional<QUrl> openTodayFolderURL(const QString &targetDisplayID)
{
    const qsizetype bytes = targetDisplayID.toUtf8().size();
    if (bytes == 0 || bytes > maximumDisplayIDBytes)
        return std::nullopt;
    // Lone surrogates come out of toUcs4 as U+FFFD, which is not allowed either.
    const QList<uint> scalars = targetDisplayID.toUcs4();
    if (!std::all_of(scalars.cbegin(), scalars.cend(), [](uint scalar) { return isAllowedInDisplayID(scalar); }))
        return std::nullopt;

    QUrl url = openTodayFolderURL();
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("display-id"), targetDisplayID);
    url.setQuery(query);
    if (!url.isValid())
        return std::nullopt;
    return url;
}

bool canOpenTodayFolder(const std::optional<QUrl> &installedApplicationURL,
                        const std::optional<QUrl> &schemeHandlerApplicationURL,
                        const std::optional<QString> &schemeHandlerBundleIdentifier)
{
    if (!installedApplicationURL || !schemeHandlerApplicationURL || !schemeHandlerBundleIdentifier)
        return false;
    if (*schemeHandlerBundleIdentifier != QString::fromLatin1(bundleIdentifier))
        return false;
    const QString installed = resolvedPath(*installedApplicationURL);
    return !installed.isEmpty() && installed == resolvedPath(*schemeHandlerApplicationURL);
}

} // namespace holdra::KelvarnIntegrationContract
