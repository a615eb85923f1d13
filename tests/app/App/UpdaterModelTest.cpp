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
using namespace Qt::StringLiterals;

namespace {

QByteArray feed(const QByteArray &items)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<rss version=\"2.0\" xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\">"
           "<channel><title>Holdra</title>"
        + items + "</channel></rss>";
}

QByteArray item(const QByteArray &version, const QByteArray &link, const QByteArray &notes = {})
{
    return "<item><title>Holdra " + version + "</title><sparkle:shortVersionString>" + version
        + "</sparkle:shortVersionString><link>" + link + "</link><description>" + notes + "</description></item>";
}

// A loopback server whose answer promises a gigabyte, then floods or sends one
// byte every 100 ms; it counts what it got out before the client hung up.
class EndlessServer
{
public:
    explicit EndlessServer(bool flood)
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this, flood] {
            QTcpSocket *socket = m_server.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, flood, socket] {
                socket->readAll();
                socket->write("HTTP/1.1 200 OK\r\nContent-Length: 1073741824\r\n\r\n");
                auto *timer = new QTimer(socket);
                QObject::connect(timer, &QTimer::timeout, socket, [this, flood, socket] {
                    if (socket->state() == QAbstractSocket::ConnectedState && (!flood || socket->bytesToWrite() == 0))
                        m_sent += socket->write(flood ? QByteArray(64 * 1024, 'x') : QByteArray("<"));
                });
                timer->start(flood ? 0 : 100);
            });
        });
        m_server.listen(QHostAddress::LocalHost);
    }
    QUrl url() const { return QUrl(u"http://127.0.0.1:%1/appcast.xml"_s.arg(m_server.serverPort())); }
    qint64 sent() const { return m_sent; }

private:
    QTcpServer m_server;
    qint64 m_sent = 0;
};

class UpdaterModelTest : public ::testing::Test
{
protected:
    QUrl feedFile(const QByteArray &contents) const
    {
        return QUrl::fromLocalFile(dir.write(u"appcast.xml"_s, contents));
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
    QDateTime now = QDateTime(QDate(2026, 3, 1), QTime(9, 30), QTimeZone::utc());
    const UpdaterModel::Clock clock = [this] { return now; };
};

} // namespace

TEST_F(UpdaterModelTest, VersionsCompareNumericallyPartByPart)
{
    const std::tuple<const char *, const char *, int> cases[] = {
        {"1.10", "1.9", 1},
        {"1.2", "1.2.0", 0},
        {"0.9.9", "1", -1},
        {"v2.0-beta", "2.0", 0},
        // Parts too long for any integer type still compare.
        {"1.99999999999999999999999", "1.99999999999999999999998", 1},
    };
    for (const auto &[a, b, expected] : cases)
        EXPECT_EQ(UpdaterModel::compareVersions(QString::fromLatin1(a), QString::fromLatin1(b)), expected) << a;
}

TEST_F(UpdaterModelTest, TheNewestItemOfTheFeedIsOfferedWhenItIsNewerWithASafeLink)
{
    UpdaterModel model(defaults,
                       feedFile(feed(item("1.1.0", "https://example.invalid/1.1")
                                     + item("1.10.0", "https://example.invalid/1.10", "<![CDATA[新的<b>功能</b>]]>")
                                     + item("1.3", "https://example.invalid/1.3"))),
                       u"1.2.0"_s, clock);
    ASSERT_TRUE(check(model));
    EXPECT_EQ(model.state(), UpdaterModel::State::UpdateAvailable);
    EXPECT_EQ(model.statusText(), u"发现新版本 1.10.0"_s);
    EXPECT_EQ(model.downloadURL(), QUrl(u"https://example.invalid/1.10"_s));
    EXPECT_EQ(model.releaseNotes(), u"新的<b>功能</b>"_s);
    EXPECT_EQ(model.lastCheckDate(), now);

    // The date survives a restart, and six hours later the automatic check
    // keeps the daily rhythm; the feed saying "older" means up to date.
    now = now.addSecs(6 * 60 * 60);
    UpdaterModel again(defaults, feedFile(feed(item("1.2", "https://example.invalid/1.2"))), u"1.2.0"_s, clock);
    again.start();
    EXPECT_EQ(again.nextAutomaticCheck(), now.addSecs(18 * 60 * 60));
    ASSERT_TRUE(check(again));
    EXPECT_EQ(again.state(), UpdaterModel::State::UpToDate);
    EXPECT_EQ(again.statusText(), u"已是最新版本"_s);
    // A stored date in the future (the clock was set back) does not postpone checks.
    defaults.setString(QLatin1String(UpdaterModel::lastCheckDateKey), now.addYears(1).toString(Qt::ISODateWithMs));
    UpdaterModel skewed(defaults, feedFile(feed({})), u"1.0"_s, clock);
    skewed.start();
    EXPECT_EQ(skewed.nextAutomaticCheck(), now);

    // Only a secure web page is offered for download; anything else gives the product page.
    for (const QByteArray &link : {QByteArray("file:///bin/sh"), QByteArray("http://example.invalid/9.0"),
                                   QByteArray("javascript:alert(1)"), QByteArray("https:relative")}) {
        UpdaterModel unsafe(defaults, feedFile(feed(item("9.0", link))), u"1.0"_s, clock);
        ASSERT_TRUE(check(unsafe));
        EXPECT_EQ(unsafe.state(), UpdaterModel::State::UpdateAvailable) << link.constData();
        EXPECT_EQ(unsafe.downloadURL(), UpdaterModel::productPageURL()) << link.constData();
    }
}

TEST_F(UpdaterModelTest, BrokenFeedsAndUnreachableServersFailWithAReasonAndLeaveTheLastCheck)
{
    const QDateTime succeeded = now;
    UpdaterModel garbage(defaults, feedFile(feed({})), u"1.0"_s, clock);
    ASSERT_TRUE(check(garbage));
    ASSERT_EQ(garbage.state(), UpdaterModel::State::UpToDate);
    now = now.addSecs(60 * 60);
    dir.write(u"appcast.xml"_s, "<rss><channel><item>");
    ASSERT_TRUE(check(garbage));
    EXPECT_EQ(garbage.state(), UpdaterModel::State::Failed);
    EXPECT_TRUE(garbage.statusText().startsWith(u"检查更新失败："_s));
    EXPECT_EQ(garbage.lastCheckDate(), succeeded);
    EXPECT_EQ(UpdaterModel(defaults).lastCheckDate(), succeeded);

    // Nobody answers at the address, which comes from the environment as the
    // shipped binary takes it: the network's own reason is given.
    qputenv(UpdaterModel::feedURLVariable, "http://127.0.0.1:1/appcast.xml");
    UpdaterModel unreachable(defaults);
    qunsetenv(UpdaterModel::feedURLVariable);
    ASSERT_TRUE(check(unreachable));
    EXPECT_EQ(unreachable.state(), UpdaterModel::State::Failed);
    EXPECT_GT(unreachable.statusText().size(), u"检查更新失败："_s.size());
}

TEST_F(UpdaterModelTest, AnEndlessAnswerIsCutOffAndLaterChecksStillRun)
{
    // Refused once the first mebibyte is in, not after a gigabyte has arrived.
    EndlessServer flood(true);
    UpdaterModel tooBig(defaults, flood.url(), u"1.0"_s, clock);
    ASSERT_TRUE(check(tooBig));
    EXPECT_EQ(tooBig.statusText(), u"检查更新失败：更新信息过大"_s);
    EXPECT_LT(flood.sent(), 64 * 1024 * 1024) << "what the kernel buffers, not the whole answer";

    // One byte every 100 ms keeps the connection alive; the check still ends,
    // and does not block the next one.
    EndlessServer trickle(false);
    UpdaterModel slow(defaults, trickle.url(), u"1.0"_s, clock);
    slow.setCheckTimeout(std::chrono::milliseconds(1500));
    ASSERT_TRUE(check(slow));
    EXPECT_EQ(slow.statusText(), u"检查更新失败：服务器响应超时"_s);
    slow.checkForUpdates();
    EXPECT_EQ(slow.state(), UpdaterModel::State::Checking);
}
