#include "App/SingleInstance.h"
#include "TempDir.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QUuid>
#include <gtest/gtest.h>

#include <future>

using namespace holdra;

namespace {

QString uniqueName()
{
    return QStringLiteral("holdra-test-") + QUuid::createUuid().toString(QUuid::Id128);
}

// The client blocks, so it runs beside the event loop that serves it.
std::future<bool> forwardInBackground(const QString &name, const QList<QUrl> &urls)
{
    return std::async(std::launch::async, [name, urls] { return SingleInstance::forward(name, urls); });
}

bool waitFor(std::future<bool> &result)
{
    for (int i = 0; i < 500 && result.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready; ++i)
        QTest::qWait(10);
    return result.get();
}

} // namespace

TEST(SingleInstanceTest, TheSecondInstanceForwardsItsFilesAndShowRequests)
{
    const QString name = uniqueName();
    SingleInstance first(name);
    ASSERT_TRUE(first.listen());
    SingleInstance second(name);
    EXPECT_FALSE(second.listen());

    QSignalSpy opened(&first, &SingleInstance::filesOpened);
    QSignalSpy shown(&first, &SingleInstance::showRequested);
    const QList<QUrl> files{QUrl::fromLocalFile("/tmp/a b.txt"), QUrl::fromLocalFile("/tmp/报告.pdf"),
                            QUrl::fromLocalFile("/tmp/x/../a b.txt")};
    std::future<bool> sent = forwardInBackground(name, files);
    EXPECT_TRUE(waitFor(sent));
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.first().first().value<QList<QUrl>>(),
              (QList<QUrl>{QUrl::fromLocalFile("/tmp/a b.txt"), QUrl::fromLocalFile("/tmp/报告.pdf")}));

    std::future<bool> show = forwardInBackground(name, {});
    EXPECT_TRUE(waitFor(show));
    EXPECT_EQ(shown.size(), 1);
    EXPECT_EQ(opened.size(), 1);
}

TEST(SingleInstanceTest, NobodyListeningMeansNoForwardAndAStaleSocketIsReplaced)
{
    const QString name = uniqueName();
    EXPECT_FALSE(SingleInstance::forward(name, {QUrl::fromLocalFile("/tmp/a")}, 200));

    // An instance killed without closing leaves its socket file behind.
    holdra::test::TempDir dir;
    const QString path = dir.write("stale.sock", QByteArray());
    SingleInstance instance(path);
    EXPECT_TRUE(instance.listen());
    EXPECT_TRUE(instance.isListening());
}

TEST(SingleInstanceTest, TheNameDependsOnTheDataDirectory)
{
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", "/tmp/holdra-a");
    const QString a = SingleInstance::defaultServerName();
    qputenv("XDG_DATA_HOME", "/tmp/holdra-b");
    const QString b = SingleInstance::defaultServerName();
    qputenv("XDG_DATA_HOME", saved);
    EXPECT_NE(a, b);
    EXPECT_TRUE(a.startsWith("holdra-"));
}

TEST(SingleInstanceTest, TheBinaryForwardsPathsRelativeToWhereItWasStarted)
{
    const QString binary = qEnvironmentVariable("HOLDRA_BINARY");
    if (binary.isEmpty())
        GTEST_SKIP() << "HOLDRA_BINARY is set by ctest";
    holdra::test::TempDir dir;
    const QString data = dir.mkdir("data");
    const QString work = dir.mkdir("work");
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", data.toLocal8Bit());
    SingleInstance running(SingleInstance::defaultServerName());
    qputenv("XDG_DATA_HOME", saved);
    ASSERT_TRUE(running.listen());
    QSignalSpy opened(&running, &SingleInstance::filesOpened);

    QProcess second;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", data);
    second.setProcessEnvironment(environment);
    second.setWorkingDirectory(work);
    QSignalSpy finished(&second, &QProcess::finished);
    second.start(binary, {"报告 1.txt", "../other/x.pdf"});
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.first().first().value<QList<QUrl>>(),
              (QList<QUrl>{QUrl::fromLocalFile(work + "/报告 1.txt"), QUrl::fromLocalFile(dir.path() + "/other/x.pdf")}));
}

TEST(SingleInstanceTest, ASettingsRequestOpensNoFilesAndNoPanel)
{
    const QString name = uniqueName();
    SingleInstance first(name);
    ASSERT_TRUE(first.listen());
    QSignalSpy settings(&first, &SingleInstance::settingsRequested);
    QSignalSpy shown(&first, &SingleInstance::showRequested);
    QSignalSpy opened(&first, &SingleInstance::filesOpened);

    std::future<bool> sent =
        std::async(std::launch::async, [name] { return SingleInstance::forwardSettingsRequest(name); });
    EXPECT_TRUE(waitFor(sent));
    EXPECT_EQ(settings.size(), 1);
    EXPECT_EQ(shown.size(), 0);
    EXPECT_EQ(opened.size(), 0);

    // Nobody listening: the caller starts Holdra itself.
    EXPECT_FALSE(SingleInstance::forwardSettingsRequest(uniqueName(), 200));
}
