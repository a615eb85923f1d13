#include "Desktop/KelvarnLocator.h"

#include "App/AppLogging.h"
#include "Desktop/DesktopEntry.h"
#include "Integration/KelvarnIntegrationContract.h"

#include <QDir>
#include <QFileInfo>

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
        // A reading begun before the change may have missed it.
        if (m_firstReading.valid())
            m_firstReading.get();
        m_cached.reset();
        rewatch();
        Q_EMIT applicationsChanged();
    });
}

KelvarnLocator::Lookup KelvarnLocator::lookup() const
{
    if (!m_watcher)
        return readLookup();
    // The capsule asks each time it appears; the watcher says when to read again.
    if (!m_cached) {
        m_cached = m_firstReading.valid() ? m_firstReading.get() : readLookup();
        watchEntry(*m_cached);
    }
    return *m_cached;
}

KelvarnLocator::Lookup KelvarnLocator::readLookup() const
{
    Lookup result;
    if (const std::optional<DesktopEntry> installed =
            DesktopEntry::forDesktopID(QString::fromLatin1(KelvarnIntegrationContract::desktopEntryName)))
        result.installedApplicationURL = QUrl::fromLocalFile(installed->filePath());

    const QString scheme = QString::fromLatin1(KelvarnIntegrationContract::schemeHandlerMimeType).section(u'/', 1);
    const std::optional<DesktopEntry> handler = DesktopEntry::defaultForURIScheme(scheme);
    if (!handler || handler->filePath().isEmpty())
        return result;
    result.schemeHandlerApplicationURL = QUrl::fromLocalFile(handler->filePath());
    const QString id = handler->desktopID();
    if (id.endsWith(QLatin1String(desktopSuffix)))
        result.schemeHandlerBundleIdentifier = id.chopped(int(qstrlen(desktopSuffix)));
    QVariantMap info;
    const QString key = QString::fromLatin1(KelvarnIntegrationContract::targetDisplayCapabilityInfoKey);
    if (const std::optional<QString> capability = handler->value(key))
        info.insert(key, *capability);
    result.schemeHandlerInfo = info;
    return result;
}

bool KelvarnLocator::launch(const Lookup &lookup, const QUrl &url)
{
    // The file that was checked is the one started, even if the routing changed since.
    const std::optional<DesktopEntry> handler =
        DesktopEntry::fromFile(lookup.schemeHandlerApplicationURL.value_or(QUrl()).toLocalFile());
    if (!handler) {
        qCWarning(lcIntegration) << "Kelvarn's entry can no longer be used";
        return false;
    }
    if (const QString error = handler->launch(url); !error.isEmpty()) {
        qCWarning(lcIntegration).noquote() << "Kelvarn did not start:" << error;
        return false;
    }
    return true;
}

void KelvarnLocator::startWatching()
{
    if (m_watcher)
        return;
    m_watcher = new QFileSystemWatcher(this);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { m_settle.start(); });
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, [this] { m_settle.start(); });
    rewatch();
    // Watching first: whatever changes after this is seen, even during the reading.
    m_firstReading = std::async(std::launch::async, [this] { return readLookup(); });
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
    if (!paths.isEmpty())
        m_watcher->addPaths(paths);
}

void KelvarnLocator::watchEntry(const Lookup &lookup) const
{
    // The entry itself, which may be a link into a directory that is not watched.
    if (!m_watcher || !lookup.installedApplicationURL)
        return;
    const QString path = lookup.installedApplicationURL->toLocalFile();
    if (!m_watcher->files().contains(path) && QFileInfo::exists(path))
        m_watcher->addPath(path);
}

} // namespace holdra
