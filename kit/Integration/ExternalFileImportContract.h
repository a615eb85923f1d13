#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace holdra {

// How files handed to Holdra from outside (the file manager, other programs,
// the command line and a second instance forwarding its arguments) are cleaned
// up before they reach the store, and what the user is told afterwards.
namespace ExternalFileImportContract {

// Keeps the local file URLs, each with "." and ".." resolved and redundant
// slashes removed (symbolic links are left alone), dropping later repeats of
// the same path. A trailing slash, which marks a directory, is kept.
QList<QUrl> normalizedFileURLs(const QList<QUrl> &urls);

// Command-line arguments as normalised file URLs: "file:…" and "scheme://…"
// arguments are URLs (only file URLs survive), everything else is a path, taken relative to `workingDirectory` when it
// is not absolute. The forwarding client resolves paths itself because the running instance has a different working
// directory.
QList<QUrl> fileURLsFromArguments(const QStringList &arguments, const QString &workingDirectory);

// "已暂存 2 项，1 项已存在，3 项失败", leaving out phrases whose count is below 1;
// "没有可暂存的文件" when there is none.
QString feedbackMessage(qint64 addedCount, qint64 duplicateCount, qint64 failureCount);

} // namespace ExternalFileImportContract
} // namespace holdra
