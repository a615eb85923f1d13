#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <QVariantMap>

#include <future>
#include <optional>

namespace holdra {

// Finds Kelvarn the way the desktop does, through GIO: its desktop entry in
// the XDG applications directories and the default handler of the kelvarn:
// scheme from the mimeapps.list files. A change in any of those directories
// or files stands for "an application was installed, removed or re-routed".
class KelvarnLocator : public QObject
{
    Q_OBJECT

public:
    struct Lookup
    {
        std::optional<QUrl> installedApplicationURL; // the companion's own entry
        std::optional<QUrl> schemeHandlerApplicationURL;
        std::optional<QString> schemeHandlerBundleIdentifier; // the handler's desktop ID less ".desktop"
        // The handler's capability key, when its entry has one.
        std::optional<QVariantMap> schemeHandlerInfo;

        bool canOpenTodayFolder() const;
        bool supportsTargetDisplay() const;
    };

    // Where installing or re-routing shows, for the watcher.
    struct SearchPaths
    {
        QStringList applicationDirectories;
        QStringList mimeAppsFiles;

        // From XDG_DATA_HOME, XDG_DATA_DIRS, XDG_CONFIG_HOME, XDG_CONFIG_DIRS
        // and XDG_CURRENT_DESKTOP; unset ones fall back to ~/.local/share,
        // /usr/local/share:/usr/share, ~/.config and /etc/xdg.
        static SearchPaths fromEnvironment();
    };

    explicit KelvarnLocator(SearchPaths paths = SearchPaths::fromEnvironment(), QObject *parent = nullptr);

    const SearchPaths &searchPaths() const { return m_paths; }
    // Reads the entries afresh, or, while watching, gives the last reading
    // until a change is seen.
    Lookup lookup() const;

    // Starts the handler that the lookup found (that very entry file) with
    // `url`. False, with the reason logged, when it cannot be started.
    static bool launch(const Lookup &lookup, const QUrl &url);

    // Follows the directories and files for changes, reported once a burst settles.
    // The first reading starts at once on a worker thread, so that the desktop's
    // index is built while the caller goes on; the first lookup() takes it.
    void startWatching();

Q_SIGNALS:
    void applicationsChanged();

private:
    void rewatch();
    void watchEntry(const Lookup &lookup) const;
    Lookup readLookup() const;

    SearchPaths m_paths;
    QFileSystemWatcher *m_watcher = nullptr;
    QTimer m_settle;
    mutable std::optional<Lookup> m_cached;
    mutable std::future<Lookup> m_firstReading;
};

} // namespace holdra
