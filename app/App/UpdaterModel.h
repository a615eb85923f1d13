#pragma once

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <chrono>
#include <functional>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;

namespace holdra {

class UserDefaults;

// Software updates: reads the appcast (an RSS feed whose items carry a version
// and a download link) once a day and on demand, compares the newest version
// with this build and offers the download page. The time of the last check
// that succeeded is kept in the user defaults so that the daily rhythm
// survives restarts.
//
// The feed comes from the network and is not trusted: it is read as it arrives
// and cut off past maximumFeedBytes, a check ends after checkTimeout however
// slowly the server trickles, and only https pages are offered.
class UpdaterModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The application owns the update check.")
    Q_PROPERTY(State state READ state NOTIFY stateChanged)
    Q_PROPERTY(QString statusText READ statusText NOTIFY stateChanged)
    Q_PROPERTY(QString latestVersion READ latestVersion NOTIFY stateChanged)
    Q_PROPERTY(QString releaseNotes READ releaseNotes NOTIFY stateChanged)
    Q_PROPERTY(QUrl downloadURL READ downloadURL NOTIFY stateChanged)
    Q_PROPERTY(QDateTime lastCheckDate READ lastCheckDate NOTIFY lastCheckDateChanged)
    Q_PROPERTY(QString lastCheckText READ lastCheckText NOTIFY lastCheckDateChanged)
    Q_PROPERTY(QUrl changelogURL READ changelogURL CONSTANT)

public:
    enum class State { Idle, Checking, UpToDate, UpdateAvailable, Failed };
    Q_ENUM(State)

    static constexpr auto lastCheckDateKey = "settings.lastUpdateCheckDate";
    static constexpr qint64 checkIntervalSeconds = 24 * 60 * 60;
    // A feed is a few kilobytes; anything far larger is not one.
    static constexpr qint64 maximumFeedBytes = 1024 * 1024;
    static constexpr std::chrono::milliseconds checkTimeout{30'000};
    // Points the checks at another feed (a local test server, a staging feed).
    static constexpr auto feedURLVariable = "HOLDRA_UPDATE_FEED_URL";

    // The product's feed, or the address in $HOLDRA_UPDATE_FEED_URL.
    static QUrl defaultFeedURL();
    static QUrl productPageURL();

    using Clock = std::function<QDateTime()>;

    // `defaults` must outlive the model. Automatic checks begin with start().
    UpdaterModel(UserDefaults &defaults, QUrl feedURL = defaultFeedURL(),
                 QString currentVersion = QStringLiteral(HOLDRA_VERSION), Clock now = &QDateTime::currentDateTimeUtc,
                 QObject *parent = nullptr);
    ~UpdaterModel() override;

    State state() const { return m_state; }
    QString statusText() const;
    QString latestVersion() const { return m_latestVersion; }
    QString releaseNotes() const { return m_releaseNotes; }
    QUrl downloadURL() const { return m_downloadURL; }
    std::optional<QDateTime> lastCheckDateValue() const { return m_lastCheckDate; }
    QDateTime lastCheckDate() const { return m_lastCheckDate.value_or(QDateTime()); }
    // Abbreviated date and short time in the system's format, or "从未".
    QString lastCheckText() const;
    QUrl changelogURL() const;

    // Schedules the daily check: at once when the last one is a day old or there
    // was none, else when that day is over.
    void start();
    // When the next automatic check is due; empty before start().
    QDateTime nextAutomaticCheck() const { return m_nextCheck; }

    // Ignored while a check is running.
    Q_INVOKABLE void checkForUpdates();
    // How long one check may take in all (checkTimeout unless changed).
    void setCheckTimeout(std::chrono::milliseconds timeout) { m_checkDeadline.setInterval(timeout); }
    Q_INVOKABLE void openDownloadPage() const;
    Q_INVOKABLE void openChangelog() const;

    // -1, 0 or 1; dotted numbers compare part by part ("1.10" > "1.9"), missing parts are 0.
    static int compareVersions(const QString &a, const QString &b);

Q_SIGNALS:
    void stateChanged();
    void lastCheckDateChanged();
    // A check has ended, in any state; the tray tells the user about on-demand ones.
    void checkFinished();

private:
    void receive(QNetworkReply *reply);
    void finish(QNetworkReply *reply);
    void parseFeed(const QByteArray &feed);
    void setState(State state);
    void scheduleFrom(const QDateTime &lastCheck);

    UserDefaults &m_defaults;
    QUrl m_feedURL;
    QString m_currentVersion;
    Clock m_now;
    QNetworkAccessManager *m_network = nullptr;
    QPointer<QNetworkReply> m_reply;
    QTimer m_timer;
    QTimer m_checkDeadline;
    QDateTime m_nextCheck;
    QByteArray m_feed;
    bool m_feedTooLarge = false;
    bool m_timedOut = false;
    State m_state = State::Idle;
    QString m_error;
    QString m_latestVersion;
    QString m_releaseNotes;
    QUrl m_downloadURL;
    std::optional<QDateTime> m_lastCheckDate;
};

} // namespace holdra
