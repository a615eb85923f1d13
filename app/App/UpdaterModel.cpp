#include "App/UpdaterModel.h"

#include "Settings/UserDefaults.h"
#include "Support/DateText.h"

#include <QDesktopServices>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <utility>

namespace holdra {

namespace {

constexpr auto sparkleNamespace = "http://www.andymatuschak.org/xml-namespaces/sparkle";
// Read in small steps, so that a flood is cut off before it fills memory.
constexpr qint64 readBufferBytes = 64 * 1024;

struct FeedItem
{
    QString version;
    QString notes;
    QUrl link;
};

} // namespace

QUrl UpdaterModel::defaultFeedURL()
{
    if (const QString override = qEnvironmentVariable(feedURLVariable); !override.isEmpty())
        return QUrl(override);
    return QUrl(QStringLiteral("https://tessavel.com/holdra/appcast.xml"));
}

QUrl UpdaterModel::productPageURL()
{
    return QUrl(QStringLiteral("https://tessavel.com/holdra"));
}

UpdaterModel::UpdaterModel(UserDefaults &defaults, QUrl feedURL, QString currentVersion, Clock now, QObject *parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_feedURL(std::move(feedURL))
    , m_currentVersion(std::move(currentVersion))
    , m_now(std::move(now))
    , m_network(new QNetworkAccessManager(this))
{
    m_network->setTransferTimeout(int(checkTimeout.count()));
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &UpdaterModel::checkForUpdates);
    // The transfer timeout restarts with every byte; this one does not.
    m_checkDeadline.setSingleShot(true);
    m_checkDeadline.setInterval(checkTimeout);
    connect(&m_checkDeadline, &QTimer::timeout, this, [this] {
        if (m_reply) {
            m_timedOut = true;
            m_reply->abort();
        }
    });
    if (const std::optional<QString> stored = m_defaults.stringValue(QLatin1String(lastCheckDateKey))) {
        const QDateTime date = QDateTime::fromString(*stored, Qt::ISODateWithMs);
        if (date.isValid())
            m_lastCheckDate = date;
    }
}

UpdaterModel::~UpdaterModel()
{
    if (m_reply)
        m_reply->abort();
}

QString UpdaterModel::statusText() const
{
    switch (m_state) {
    case State::Idle:
        return {};
    case State::Checking:
        return QStringLiteral("正在检查更新…");
    case State::UpToDate:
        return QStringLiteral("已是最新版本");
    case State::UpdateAvailable:
        return QStringLiteral("发现新版本 %1").arg(m_latestVersion);
    case State::Failed:
        return QStringLiteral("检查更新失败：%1").arg(m_error);
    }
    return {};
}

QString UpdaterModel::lastCheckText() const
{
    if (!m_lastCheckDate)
        return QStringLiteral("从未");
    return abbreviatedDateTime(*m_lastCheckDate);
}

QUrl UpdaterModel::changelogURL() const
{
    QUrl url = productPageURL();
    url.setFragment(QStringLiteral("update"));
    return url;
}

void UpdaterModel::start()
{
    scheduleFrom(m_lastCheckDate.value_or(QDateTime()));
}

void UpdaterModel::scheduleFrom(const QDateTime &lastCheck)
{
    const QDateTime now = m_now();
    // A last check in the future (clock set back) counts as none.
    if (!lastCheck.isValid() || lastCheck > now)
        m_nextCheck = now;
    else
        m_nextCheck = std::max(now, lastCheck.addSecs(checkIntervalSeconds));
    m_timer.start(std::chrono::milliseconds(std::max<qint64>(0, now.msecsTo(m_nextCheck))));
}

void UpdaterModel::checkForUpdates()
{
    if (m_reply)
        return;
    QNetworkRequest request(m_feedURL);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    m_reply = m_network->get(request);
    QNetworkReply *reply = m_reply;
    reply->setReadBufferSize(readBufferBytes);
    m_feed.clear();
    m_feedTooLarge = false;
    m_timedOut = false;
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] { receive(reply); });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { finish(reply); });
    m_checkDeadline.start();
    setState(State::Checking);
}

void UpdaterModel::receive(QNetworkReply *reply)
{
    if (m_feedTooLarge)
        return;
    m_feed += reply->read(maximumFeedBytes + 1 - m_feed.size());
    if (m_feed.size() > maximumFeedBytes) {
        m_feedTooLarge = true;
        m_feed.clear();
        reply->abort();
    }
}

void UpdaterModel::finish(QNetworkReply *reply)
{
    m_checkDeadline.stop();
    reply->deleteLater();
    m_reply.clear();
    receive(reply);
    const QByteArray body = std::exchange(m_feed, QByteArray());
    if (m_feedTooLarge) {
        m_error = QStringLiteral("更新信息过大");
        setState(State::Failed);
    } else if (m_timedOut) {
        m_error = QStringLiteral("服务器响应超时");
        setState(State::Failed);
    } else if (reply->error() != QNetworkReply::NoError) {
        m_error = reply->errorString();
        setState(State::Failed);
    } else {
        parseFeed(body);
    }

    const QDateTime now = m_now();
    // Only a check that got an answer is the last check the user is shown.
    if (m_state == State::UpToDate || m_state == State::UpdateAvailable) {
        m_lastCheckDate = now;
        m_defaults.setString(QLatin1String(lastCheckDateKey), now.toUTC().toString(Qt::ISODateWithMs));
        Q_EMIT lastCheckDateChanged();
    }
    if (!m_nextCheck.isNull())
        scheduleFrom(now);
    Q_EMIT checkFinished();
}

void UpdaterModel::parseFeed(const QByteArray &feed)
{
    QXmlStreamReader xml(feed);
    std::optional<FeedItem> newest;
    std::optional<FeedItem> item;
    bool sawChannel = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const QStringView name = xml.name();
            if (name == QLatin1String("channel")) {
                sawChannel = true;
            } else if (name == QLatin1String("item")) {
                item = FeedItem{};
            } else if (item && name == QLatin1String("enclosure")) {
                const QXmlStreamAttributes attributes = xml.attributes();
                const QString shortVersion =
                    attributes.value(QLatin1String(sparkleNamespace), QLatin1String("shortVersionString")).toString();
                const QString version =
                    attributes.value(QLatin1String(sparkleNamespace), QLatin1String("version")).toString();
                if (item->version.isEmpty())
                    item->version = shortVersion.isEmpty() ? version : shortVersion;
                const QUrl url(attributes.value(QLatin1String("url")).toString());
                if (!item->link.isValid())
                    item->link = url;
            } else if (item && name == QLatin1String("shortVersionString")
                       && xml.namespaceUri() == QLatin1String(sparkleNamespace)) {
                item->version = xml.readElementText().trimmed();
            } else if (item && name == QLatin1String("version") && xml.namespaceUri() == QLatin1String(sparkleNamespace)
                       && item->version.isEmpty()) {
                item->version = xml.readElementText().trimmed();
            } else if (item && name == QLatin1String("description")) {
                item->notes = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
            } else if (item && name == QLatin1String("link")) {
                // The page about the release beats the bare download.
                const QUrl link(xml.readElementText().trimmed());
                if (link.isValid() && !link.isEmpty())
                    item->link = link;
            }
        } else if (xml.isEndElement() && xml.name() == QLatin1String("item") && item) {
            if (!item->version.isEmpty() && (!newest || compareVersions(item->version, newest->version) > 0))
                newest = item;
            item.reset();
        }
    }
    if (xml.hasError() || !sawChannel) {
        m_error = xml.hasError() ? QStringLiteral("更新信息无法解析（%1）").arg(xml.errorString())
                                 : QStringLiteral("更新信息无法解析");
        setState(State::Failed);
        return;
    }
    const QString scheme = newest ? newest->link.scheme() : QString();
    if (newest && compareVersions(newest->version, m_currentVersion) > 0) {
        m_latestVersion = newest->version;
        m_releaseNotes = newest->notes;
        // Only secure web pages are offered; anything else falls back to the product page.
        m_downloadURL =
            scheme == QLatin1String("https") && !newest->link.host().isEmpty() ? newest->link : productPageURL();
        setState(State::UpdateAvailable);
    } else {
        m_latestVersion = m_currentVersion;
        m_releaseNotes.clear();
        m_downloadURL.clear();
        setState(State::UpToDate);
    }
}

void UpdaterModel::setState(State state)
{
    m_state = state;
    Q_EMIT stateChanged();
}

void UpdaterModel::openDownloadPage() const
{
    QDesktopServices::openUrl(m_downloadURL.isValid() ? m_downloadURL : productPageURL());
}

void UpdaterModel::openChangelog() const
{
    QDesktopServices::openUrl(changelogURL());
}

int UpdaterModel::compareVersions(const QString &a, const QString &b)
{
    static const QRegularExpression separators(QStringLiteral("[^0-9]+"));
    const QStringList left = a.split(separators, Qt::SkipEmptyParts);
    const QStringList right = b.split(separators, Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < std::max(left.size(), right.size()); ++i) {
        // Compared as digit strings, so that no part can overflow.
        QString l = i < left.size() ? left[i] : QStringLiteral("0");
        QString r = i < right.size() ? right[i] : QStringLiteral("0");
        while (l.size() > 1 && l.startsWith(QLatin1Char('0')))
            l.remove(0, 1);
        while (r.size() > 1 && r.startsWith(QLatin1Char('0')))
            r.remove(0, 1);
        if (l.size() != r.size())
            return l.size() < r.size() ? -1 : 1;
        if (const int order = l.compare(r); order != 0)
            return order < 0 ? -1 : 1;
    }
    return 0;
}

} // namespace holdra
