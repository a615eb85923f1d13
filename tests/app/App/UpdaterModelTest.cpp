#include "App/UpdaterModel.h"
#include "Settings/InMemoryUserDefaults.h"
#include "TempDir.h"

#include <QHostAddress>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimeZone>
#include <QTimer>
#include <gtest/gtest.h>

using namespace holdra;

namespace {

QByteArray feed(const QByteArray &items)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<rss version=\"2.0\" xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\">"
           "<channel><title>Holdra</title>" + items + "</channel></rss>";
}

QByteArray item(const QByteArray &version, const QByteArray &link, const QByteArray &notes = {})
{
    return "<item><title>Holdra " + version + "</title><sparkle:shortVersionString>" + version
        + "</sparkle:shortVersionString><link>" + link + "</link><description>" + notes
        + "</description></item>";
}

// Answers every request on loopback with one fixed HTTP response.
class FixedHttpServer
{
public:
    explicit FixedHttpServer(QByteArray response) : m_response(std::move(response))
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            QTcpSocket *socket = m_server.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                socket->readAll();
                socket->write(m_response);
                socket->disconnectFromHost();
            });
        });
        m_server.listen(QHostAddress::LocalHost);
    }
    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/appcast.xml").arg(m_server.serverPort())); }

private:
    QTcpServer m_server;
    QByteArray m_response;
};

// A server that never ends its answer: a flood of a gigabyte, or one byte at a
// time; it counts what it got out before the client hung up.
class EndlessHttpServer
{
public:
    enum class Pace { Flood, Trickle };

    explicit EndlessHttpServer(Pace pace) : m_pace(pace)
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            QTcpSocket *socket = m_server.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                socket->readAll();
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/rss+xml\r\nContent-Length: 1073741824\r\n\r\n");
                serve(socket);
            });
        });
        m_server.listen(QHostAddress::LocalHost);
    }
    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/appcast.xml").arg(m_server.serverPort())); }
    qint64 sent() const { return m_sent; }

private:
    void serve(QTcpSocket *socket)
    {
        if (m_pace == Pace::Flood) {
            const QByteArray chunk(64 * 1024, 'x');
            QObject::connect(socket, &QTcpSocket::bytesWritten, socket, [this, socket, chunk] {
                if (socket->bytesToWrite() == 0 && socket->state() == QAbstractSocket::ConnectedState)
                    m_sent += socket->write(chunk);
            });
            m_sent += socket->write(chunk);
            return;
        }
        auto *timer = new QTimer(socket);
        QObject::connect(timer, &QTimer::timeout, socket, [this, socket] { m_sent += socket->write("<"); });
        timer->start(100);
    }

    QTcpServer m_server;
    Pace m_pace;
    qint64 m_sent = 0;
};

class UpdaterModelTest : public ::testing::Test
{
protected:
    QUrl feedFile(const QByteArray &contents) const
    {
        return QUrl::fromLocalFile(dir.write(QStringLiteral("appcast.xml"), contents));
    }

    // Runs one on-demand check; whether it ended.
    bool check(UpdaterModel &model)
    {
        QSignalSpy finished(&model, &UpdaterModel::checkFinished);
        model.checkForUpdates();
        return finished.count() == 1 || finished.wait(10000);
    }

    test::TempDir dir;
    InMemoryUserDefaults defaults;
    // Wall-clock time as the test sets it.
    struct DateClock
    {
        QDateTime current = QDateTime(QDate(2026, 3, 1), QTime(9, 30), QTimeZone::utc());
        QDateTime now() const { return current; }
        void advance(std::chrono::seconds step) { current = current.addSecs(step.count()); }
        UpdaterModel::Clock function() { return [this] { return current; }; }
    } clock;
};

} // namespace

TEST_F(UpdaterModelTest, VersionsCompareNumericallyPartByPart)
{
    EXPECT_EQ(UpdaterModel::compareVersions(QStringLiteral("1.10"), QStringLiteral("1.9")), 1);
    EXPECT_EQ(UpdaterModel::compareVersions(QStringLiteral("1.2"), QStringLiteral("1.2.0")), 0);
    EXPECT_EQ(UpdaterModel::compareVersions(QStringLiteral("0.9.9"), QStringLiteral("1")), -1);
    EXPECT_EQ(UpdaterModel::compareVersions(QStringLiteral("v2.0-beta"), QStringLiteral("2.0")), 0);
    // Parts too long for any integer type still compare.
    EXPECT_EQ(UpdaterModel::compareVersions(QStringLiteral("1.99999999999999999999999"),
                                            QStringLiteral("1.99999999999999999999998")), 1);
}

TEST_F(UpdaterModelTest, TheNewestItemOfTheFeedIsOfferedWhenItIsNewer)
{
    UpdaterModel model(defaults,
                       feedFile(feed(item("1.1.0", "https://example.invalid/1.1") +
                                     item("1.10.0", "https://example.invalid/1.10", "<![CDATA[新的<b>功能</b>]]>") +
                                     item("1.3", "https://example.invalid/1.3"))),
                       QStringLiteral("1.2.0"), clock.function());
    EXPECT_EQ(model.lastCheckText(), QStringLiteral("从未"));
    ASSERT_TRUE(check(model));
    EXPECT_EQ(model.state(), UpdaterModel::State::UpdateAvailable);
    EXPECT_EQ(model.statusText(), QStringLiteral("发现新版本 1.10.0"));
    EXPECT_EQ(model.downloadURL(), QUrl(QStringLiteral("https://example.invalid/1.10")));
    EXPECT_EQ(model.releaseNotes(), QStringLiteral("新的<b>功能</b>"));
    EXPECT_EQ(model.lastCheckDate(), clock.now());
    EXPECT_NE(model.lastCheckText(), QStringLiteral("从未"));

    // The date survives a restart; the feed saying "older" means up to date.
    UpdaterModel again(defaults, feedFile(feed(item("1.2", "https://example.invalid/1.2"))), QStringLiteral("1.2.0"),
                       clock.function());
    EXPECT_EQ(again.lastCheckDate(), clock.now());
    ASSERT_TRUE(check(again));
    EXPECT_EQ(again.state(), UpdaterModel::State::UpToDate);
    EXPECT_EQ(again.statusText(), QStringLiteral("已是最新版本"));
}

TEST_F(UpdaterModelTest, OnlySecureWebPagesAreOfferedForDownload)
{
    for (const QByteArray &link : {QByteArray("file:///bin/sh"), QByteArray("http://example.invalid/9.0"),
                                   QByteArray("javascript:alert(1)"), QByteArray("https:relative")}) {
        UpdaterModel model(defaults, feedFile(feed(item("9.0", link))), QStringLiteral("1.0"), clock.function());
        ASSERT_TRUE(check(model));
        EXPECT_EQ(model.state(), UpdaterModel::State::UpdateAvailable) << link.constData();
        EXPECT_EQ(model.downloadURL(), UpdaterModel::productPageURL()) << link.constData();
    }
}

TEST_F(UpdaterModelTest, AnEndlessAnswerIsCutOffAndLaterChecksStillRun)
{
    // A gigabyte: refused once the first mebibyte is in, not after it has all arrived.
    // The address comes in as the shipped binary takes it, from the environment.
    EndlessHttpServer flood(EndlessHttpServer::Pace::Flood);
    qputenv(UpdaterModel::feedURLVariable, flood.url().toEncoded());
    UpdaterModel tooBig(defaults);
    qunsetenv(UpdaterModel::feedURLVariable);
    ASSERT_TRUE(check(tooBig));
    EXPECT_EQ(tooBig.statusText(), QStringLiteral("检查更新失败：更新信息过大"));
    EXPECT_LT(flood.sent(), 64 * 1024 * 1024) << "what the kernel buffers, not the whole answer";

    // One byte every 100 ms keeps the connection alive; the check still ends.
    EndlessHttpServer trickle(EndlessHttpServer::Pace::Trickle);
    UpdaterModel slow(defaults, trickle.url(), QStringLiteral("1.0"), clock.function());
    slow.setCheckTimeout(std::chrono::milliseconds(1500));
    ASSERT_TRUE(check(slow));
    EXPECT_EQ(slow.statusText(), QStringLiteral("检查更新失败：服务器响应超时"));
    EXPECT_GT(trickle.sent(), 0);
    // The stuck check does not block the next one.
    slow.checkForUpdates();
    EXPECT_EQ(slow.state(), UpdaterModel::State::Checking);
}

TEST_F(UpdaterModelTest, BrokenFeedsAndServerErrorsFailWithAReasonAndLeaveTheLastCheck)
{
    UpdaterModel never(defaults, feedFile("<rss><channel><item>"), QStringLiteral("1.0"), clock.function());
    ASSERT_TRUE(check(never));
    EXPECT_EQ(never.state(), UpdaterModel::State::Failed);
    EXPECT_EQ(never.lastCheckText(), QStringLiteral("从未"));

    const QDateTime succeeded = clock.now();
    UpdaterModel garbage(defaults, feedFile(feed({})), QStringLiteral("1.0"), clock.function());
    ASSERT_TRUE(check(garbage));
    ASSERT_EQ(garbage.state(), UpdaterModel::State::UpToDate);
    clock.advance(std::chrono::hours(1));
    dir.write(QStringLiteral("appcast.xml"), "<rss><channel><item>");
    ASSERT_TRUE(check(garbage));
    EXPECT_EQ(garbage.state(), UpdaterModel::State::Failed);
    EXPECT_TRUE(garbage.statusText().startsWith(QStringLiteral("检查更新失败：")));
    EXPECT_EQ(garbage.lastCheckDate(), succeeded);
    EXPECT_EQ(UpdaterModel(defaults).lastCheckDate(), succeeded);

    FixedHttpServer server("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    UpdaterModel missing(defaults, server.url(), QStringLiteral("1.0"), clock.function());
    ASSERT_TRUE(check(missing));
    EXPECT_EQ(missing.state(), UpdaterModel::State::Failed);
    EXPECT_GT(missing.statusText().size(), QStringLiteral("检查更新失败：").size());
}

TEST_F(UpdaterModelTest, AutomaticChecksRunOnceADay)
{
    UpdaterModel model(defaults, feedFile(feed(item("1.0", "https://example.invalid/1.0"))), QStringLiteral("1.0"),
                       clock.function());
    EXPECT_TRUE(model.nextAutomaticCheck().isNull());
    model.start();
    EXPECT_EQ(model.nextAutomaticCheck(), clock.now()); // never checked: now

    QSignalSpy finished(&model, &UpdaterModel::checkFinished);
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(model.nextAutomaticCheck(), clock.now().addDays(1));

    // Restarted six hours later, the next check stays on the same daily rhythm.
    clock.advance(std::chrono::hours(6));
    UpdaterModel restarted(defaults, feedFile(feed({})), QStringLiteral("1.0"), clock.function());
    restarted.start();
    EXPECT_EQ(restarted.nextAutomaticCheck(), clock.now().addSecs(18 * 60 * 60));

    // A stored date in the future (the clock was set back) does not postpone checks.
    defaults.setString(QLatin1String(UpdaterModel::lastCheckDateKey),
                       clock.now().addYears(1).toString(Qt::ISODateWithMs));
    UpdaterModel skewed(defaults, feedFile(feed({})), QStringLiteral("1.0"), clock.function());
    skewed.start();
    EXPECT_EQ(skewed.nextAutomaticCheck(), clock.now());
}
