#include "App/UpdaterModel.h"
#include "Settings/InMemoryUserDefaults.h"
#include "TempDir.h"

#include <QHostAddress>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimeZone>
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

class UpdaterModelTest : public ::testing::Test
{
protected:
    QUrl feedFile(const QByteArray &contents) const
    {
        return QUrl::fromLocalFile(dir.write(QStringLiteral("appcast.xml"), contents));
    }

    // Runs one on-demand check against `url` as version 1.2.0.
    void check(UpdaterModel &model)
    {
        QSignalSpy finished(&model, &UpdaterModel::checkFinished);
        model.checkForUpdates();
        ASSERT_TRUE(finished.count() == 1 || finished.wait(10000));
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
    check(model);
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
    check(again);
    EXPECT_EQ(again.state(), UpdaterModel::State::UpToDate);
    EXPECT_EQ(again.statusText(), QStringLiteral("已是最新版本"));
}

TEST_F(UpdaterModelTest, ALinkThatIsNotAWebPageIsNeverOffered)
{
    UpdaterModel model(defaults, feedFile(feed(item("9.0", "file:///bin/sh"))), QStringLiteral("1.0"),
                       clock.function());
    check(model);
    EXPECT_EQ(model.state(), UpdaterModel::State::UpdateAvailable);
    EXPECT_EQ(model.downloadURL(), UpdaterModel::productPageURL());
}

TEST_F(UpdaterModelTest, BrokenFeedsAndServerErrorsFailWithAReasonAndStillCount)
{
    UpdaterModel garbage(defaults, feedFile("<rss><channel><item>"), QStringLiteral("1.0"), clock.function());
    check(garbage);
    EXPECT_EQ(garbage.state(), UpdaterModel::State::Failed);
    EXPECT_TRUE(garbage.statusText().startsWith(QStringLiteral("检查更新失败：")));
    EXPECT_EQ(garbage.lastCheckDate(), clock.now());

    FixedHttpServer server("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    UpdaterModel missing(defaults, server.url(), QStringLiteral("1.0"), clock.function());
    check(missing);
    EXPECT_EQ(missing.state(), UpdaterModel::State::Failed);
    EXPECT_GT(missing.statusText().size(), QStringLiteral("检查更新失败：").size());

    const QByteArray huge(UpdaterModel::maximumFeedBytes + 4096, 'x');
    FixedHttpServer flood("HTTP/1.1 200 OK\r\nContent-Type: application/rss+xml\r\nConnection: close\r\n\r\n" + huge);
    UpdaterModel tooBig(defaults, flood.url(), QStringLiteral("1.0"), clock.function());
    check(tooBig);
    EXPECT_EQ(tooBig.statusText(), QStringLiteral("检查更新失败：更新信息过大"));
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
