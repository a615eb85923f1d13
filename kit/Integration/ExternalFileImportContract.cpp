#include "Integration/ExternalFileImportContract.h"

#include "Pasteboard/DropFileURLDecoder.h"

#include <QDir>
#include <QSet>

namespace holdra::ExternalFileImportContract {

QList<QUrl> normalizedFileURLs(const QList<QUrl> &urls)
{
    QList<QUrl> result;
    QSet<QString> seen;
    for (const QUrl &url : urls) {
        const std::optional<QUrl> local = DropFileURLDecoder::decode(url);
        if (!local)
            continue;
        const QString path = local->toLocalFile();
        const QString cleaned = QDir::cleanPath(path);
        if (cleaned.isEmpty() || seen.contains(cleaned))
            continue;
        seen.insert(cleaned);
        const bool directory = path.endsWith(u'/') && cleaned != u"/";
        result.append(QUrl::fromLocalFile(directory ? cleaned + u'/' : cleaned));
    }
    return result;
}

namespace {

// "file:" anything, or "scheme://…"; a plain name with a colon stays a path.
bool isURLArgument(const QString &argument)
{
    if (argument.startsWith(u"file:", Qt::CaseInsensitive))
        return true;
    const QUrl url(argument, QUrl::StrictMode);
    return url.isValid() && !url.scheme().isEmpty() && argument.contains(u"://");
}

} // namespace

QList<QUrl> fileURLsFromArguments(const QStringList &arguments, const QString &workingDirectory)
{
    QList<QUrl> urls;
    const QDir base(workingDirectory);
    for (const QString &argument : arguments) {
        if (argument.isEmpty())
            continue;
        if (!isURLArgument(argument)) {
            urls.append(QUrl::fromLocalFile(base.absoluteFilePath(argument)));
            continue;
        }
        // One argument is one URL; the decoder's uri-list reading must not split it.
        if (argument.contains(u'\n'))
            continue;
        if (const std::optional<QUrl> url = DropFileURLDecoder::decode(argument))
            urls.append(*url);
    }
    return normalizedFileURLs(urls);
}

QString feedbackMessage(qint64 addedCount, qint64 duplicateCount, qint64 failureCount)
{
    QStringList phrases;
    if (addedCount >= 1)
        phrases.append(QStringLiteral("已暂存 %1 项").arg(addedCount));
    if (duplicateCount >= 1)
        phrases.append(QStringLiteral("%1 项已存在").arg(duplicateCount));
    if (failureCount >= 1)
        phrases.append(QStringLiteral("%1 项失败").arg(failureCount));
    if (phrases.isEmpty())
        return QStringLiteral("没有可暂存的文件");
    return phrases.join(QStringLiteral("，"));
}

} // namespace holdra::ExternalFileImportContract
