#include "Support/KelvarnLocator.h"

#include "Integration/KelvarnIntegrationContract.h"
#include "Support/DesktopEntry.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>

namespace holdra {

namespace {

constexpr auto desktopSuffix = ".desktop";

QStringList environmentDirectories(const char *name, const QString &fallback)
{
    QStringList out;
    for (const QString &dir : qEnvironmentVariable(name, fallback).split(u':', Qt::SkipEmptyParts)) {
        // A relative entry means nothing in these lists; it is skipped.
        if (QDir::isAbsolutePath(dir))
            out.append(QDir::cleanPath(dir));
    }
    return out;
}

QString homeDirectory(const char *name, const QString &fallbackUnderHome)
{
    const QString value = qEnvironmentVariable(name);
    if (QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return QDir::homePath() + fallbackUnderHome;
}

bool isHidden(const DesktopEntry &entry)
{
    return entry.value(DesktopEntry::mainGroup(), QStringLiteral("Hidden")) == QStringLiteral("true");
}

} // namespace

bool KelvarnLocator::Lookup::canOpenTodayFolder() const
{
    return KelvarnIntegrationContract::canOpenTodayFolder(installedApplicationURL, schemeHandlerApplicationURL,
                                                          schemeHandlerBundleIdentifier);
}

bool KelvarnLocator::Lookup::supportsTargetDisplay() const
{
    return KelvarnIntegrationContract::supportsTargetDisplay(schemeHandlerInfo);
}

KelvarnLocator::SearchPaths KelvarnLocator::SearchPaths::fromEnvironment()
{
    const QString dataHome = homeDirectory("XDG_DATA_HOME", QStringLiteral("/.local/share"));
    const QString configHome = homeDirectory("XDG_CONFIG_HOME", QStringLiteral("/.config"));
    const QStringList dataDirs = environmentDirectories("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"));
    const QStringList configDirs = environmentDirectories("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"));
    QStringList desktops;
    for (const QString &desktop : qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts))
        desktops.append(desktop.toLower());

    SearchPaths paths;
    paths.applicationDirectories.append(dataHome + QStringLiteral("/applications"));
    for (const QString &dir : dataDirs)
        paths.applicationDirectories.append(dir + QStringLiteral("/applications"));

    // Per directory: the desktop-specific lists first, then the general one.
    auto addLists = [&](const QString &dir) {
        for (const QString &desktop : std::as_const(desktops))
            paths.mimeAppsFiles.append(dir + u'/' + desktop + QStringLiteral("-mimeapps.list"));
        paths.mimeAppsFiles.append(dir + QStringLiteral("/mimeapps.list"));
    };
    addLists(configHome);
    for (const QString &dir : configDirs)
        addLists(dir);
    for (const QString &dir : std::as_const(paths.applicationDirectories))
        addLists(dir);
    return paths;
}

KelvarnLocator::KelvarnLocator(SearchPaths paths, QObject *parent)
    : QObject(parent)
    , m_paths(std::move(paths))
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(250);
    connect(&m_settle, &QTimer::timeout, this, [this] {
        m_cached.reset();
        rewatch();
        Q_EMIT applicationsChanged();
    });
}

QString KelvarnLocator::desktopEntryPath(const QString &desktopID) const
{
    if (desktopID.isEmpty() || desktopID.contains(u'/') || !desktopID.endsWith(QLatin1String(desktopSuffix)))
        return {};
    // "a-b-c.desktop" may be "a-b-c.desktop", "a/b-c.desktop" or "a/b/c.desktop".
    QStringList candidates{desktopID};
    for (qsizetype i = desktopID.indexOf(u'-'); i > 0; i = desktopID.indexOf(u'-', i + 1)) {
        QString nested = desktopID;
        for (qsizetype j = 0; j <= i; ++j) {
            if (nested[j] == u'-')
                nested[j] = u'/';
        }
        candidates.append(nested);
    }
    for (const QString &dir : m_paths.applicationDirectories) {
        for (const QString &candidate : std::as_const(candidates)) {
            const QString path = dir + u'/' + candidate;
            if (!QFileInfo(path).isFile())
                continue;
            // The first directory that has the ID decides, even when it hides it.
            const std::optional<DesktopEntry> entry = DesktopEntry::read(path);
            if (!entry || isHidden(*entry))
                return {};
            return path;
        }
    }
    return {};
}

std::optional<QString> KelvarnLocator::defaultHandler(const QString &mimeType) const
{
    QList<DesktopEntry> lists;
    for (const QString &file : m_paths.mimeAppsFiles) {
        if (std::optional<DesktopEntry> list = DesktopEntry::read(file))
            lists.append(std::move(*list));
    }
    for (const QString &group : {QStringLiteral("Default Applications"), QStringLiteral("Added Associations")}) {
        for (const DesktopEntry &list : std::as_const(lists)) {
            for (const QString &id : list.list(group, mimeType)) {
                if (!desktopEntryPath(id).isEmpty())
                    return id;
            }
        }
    }
    QStringList removed;
    for (const DesktopEntry &list : std::as_const(lists))
        removed += list.list(QStringLiteral("Removed Associations"), mimeType);
    for (const QString &dir : m_paths.applicationDirectories) {
        QStringList found;
        QDirIterator it(dir, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QString id = QDir(dir).relativeFilePath(path);
            id.replace(u'/', u'-');
            found.append(id);
        }
        found.sort();
        for (const QString &id : std::as_const(found)) {
            if (removed.contains(id))
                continue;
            const QString path = desktopEntryPath(id);
            if (path.isEmpty())
                continue;
            const std::optional<DesktopEntry> entry = DesktopEntry::read(path);
            if (entry && entry->list(DesktopEntry::mainGroup(), QStringLiteral("MimeType")).contains(mimeType))
                return id;
        }
    }
    return std::nullopt;
}

KelvarnLocator::Lookup KelvarnLocator::lookup() const
{
    if (!m_watcher)
        return readLookup();
    // The capsule asks each time it appears; the watcher says when to read again.
    if (!m_cached)
        m_cached = readLookup();
    return *m_cached;
}

KelvarnLocator::Lookup KelvarnLocator::readLookup() const
{
    Lookup result;
    const QString installed = desktopEntryPath(QString::fromLatin1(KelvarnIntegrationContract::desktopEntryName));
    if (!installed.isEmpty())
        result.installedApplicationURL = QUrl::fromLocalFile(installed);

    const std::optional<QString> handlerID =
        defaultHandler(QString::fromLatin1(KelvarnIntegrationContract::schemeHandlerMimeType));
    if (!handlerID)
        return result;
    const QString handlerPath = desktopEntryPath(*handlerID);
    if (handlerPath.isEmpty())
        return result;
    result.schemeHandlerApplicationURL = QUrl::fromLocalFile(handlerPath);
    result.schemeHandlerBundleIdentifier = handlerID->chopped(int(qstrlen(desktopSuffix)));
    if (const std::optional<DesktopEntry> entry = DesktopEntry::read(handlerPath)) {
        result.schemeHandlerInfo = entry->group(DesktopEntry::mainGroup());
        result.schemeHandlerExec = entry->value(DesktopEntry::mainGroup(), QStringLiteral("Exec"));
    }
    return result;
}

bool KelvarnLocator::launch(const Lookup &lookup, const QUrl &url)
{
    const std::optional<QStringList> command =
        DesktopEntry::commandLine(lookup.schemeHandlerExec, QString::fromUtf8(url.toEncoded()));
    if (!command)
        return false;
    return QProcess::startDetached(command->first(), command->mid(1));
}

void KelvarnLocator::startWatching()
{
    if (m_watcher)
        return;
    m_watcher = new QFileSystemWatcher(this);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { m_settle.start(); });
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, [this] { m_settle.start(); });
    rewatch();
}

void KelvarnLocator::rewatch()
{
    if (!m_watcher)
        return;
    // Replaced files drop out of the watch, and new ones appear; start afresh.
    if (!m_watcher->files().isEmpty())
        m_watcher->removePaths(m_watcher->files());
    if (!m_watcher->directories().isEmpty())
        m_watcher->removePaths(m_watcher->directories());
    QStringList paths;
    auto add = [&](const QString &path) {
        if (QFileInfo::exists(path) && !paths.contains(path))
            paths.append(path);
    };
    for (const QString &dir : m_paths.applicationDirectories)
        add(dir);
    for (const QString &file : m_paths.mimeAppsFiles) {
        add(file);
        add(QFileInfo(file).absolutePath());
    }
    add(desktopEntryPath(QString::fromLatin1(KelvarnIntegrationContract::desktopEntryName)));
    if (!paths.isEmpty())
        m_watcher->addPaths(paths);
}

} // namespace holdra
