#include "App/SingleInstance.h"
#include "ForeignUser.h"
#include "TempDir.h"

#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QUuid>
#include <gtest/gtest.h>

#include <future>
#include <sys/stat.h>

using namespace holdra;
using test::ForeignUser;

namespace {

// A socket path in a fresh directory of its own.
QString uniqueName()
{
    static test::TempDir dir;
    return dir.filePath(QUuid::createUuid().toString(QUuid::Id128) + QStringLiteral("/instance"));
}

// Sets (or, given a null value, unsets) an environment variable until the scope ends.
auto scopedVariable(const char *name, const QByteArray &value)
{
    const std::optional<QByteArray> old = qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
    value.isNull() ? qunsetenv(name) : qputenv(name, value);
    return qScopeGuard([name, old] { old ? qputenv(name, *old) : qunsetenv(name); });
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

    // An instance killed without closing leaves its socket file behind; its
    // directory is made private on the way.
    holdra::test::TempDir dir;
    const QString path = dir.write("run/stale.sock", QByteArray());
    ::chmod(QFile::encodeName(dir.filePath("run")).constData(), 0755);
    SingleInstance instance(path);
    EXPECT_TRUE(instance.listen());
    EXPECT_TRUE(instance.isListening());
    EXPECT_EQ(QFileInfo(dir.filePath("run")).permissions(),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadUser
                  | QFileDevice::WriteUser | QFileDevice::ExeUser);

    // A bare name would be a socket in the shared temporary directory.
    SingleInstance shared(QStringLiteral("holdra-shared"));
    EXPECT_FALSE(shared.listen());
    EXPECT_FALSE(SingleInstance::forward(QStringLiteral("holdra-shared"), {}, 200));
}

TEST(SingleInstanceTest, TheSocketLivesInThePrivateRuntimeDirectoryPerDataDirectory)
{
    holdra::test::TempDir dir;
    const auto runtime = scopedVariable("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
    QString a, b;
    {
        const auto data = scopedVariable("XDG_DATA_HOME", "/tmp/holdra-a");
        a = SingleInstance::defaultServerName();
    }
    {
        const auto data = scopedVariable("XDG_DATA_HOME", "/tmp/holdra-b");
        b = SingleInstance::defaultServerName();
    }
    EXPECT_NE(a, b);
    EXPECT_EQ(QFileInfo(a).path(), dir.filePath("Holdra"));
}

// A command travels as bytes (a file name need not be UTF-8) with its standard
// input; its answer comes back whole, larger than one socket buffer; `toggle`
// is a request of its own.
TEST(SingleInstanceTest, ACommandIsCarriedOutByTheRunningInstanceAndAnsweredWhole)
{
    const QString name = uniqueName();
    SingleInstance running(name);
    ASSERT_TRUE(running.listen());
    std::optional<cli::CommandRequest> received;
    running.setCommandHandler([&received](const cli::CommandRequest &request, const SingleInstance::Reply &reply) {
        received = request;
        reply(cli::CommandReply{2, QByteArray(1 << 20, 'o'), "usage\n"});
    });
    QSignalSpy toggled(&running, &SingleInstance::toggleRequested);

    cli::CommandRequest request;
    request.arguments = {"add", "caf\xe9.txt", QByteArray("a\0b\n\n", 5)};
    request.workingDirectory = "/home/\xff";
    request.input = QByteArray(3 << 20, 'i');
    auto reply = std::async(std::launch::async, [&] { return SingleInstance::forwardCommand(name, request); });
    for (int i = 0; i < 1000 && reply.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready; ++i)
        QTest::qWait(10);
    const std::optional<cli::CommandReply> answer = reply.get();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 2);
    EXPECT_EQ(answer->out.size(), 1 << 20);
    EXPECT_EQ(answer->err, "usage\n");
    ASSERT_TRUE(received);
    EXPECT_EQ(received->arguments, request.arguments);
    EXPECT_EQ(received->workingDirectory, request.workingDirectory);
    EXPECT_EQ(received->input, request.input);

    auto toggle = std::async(std::launch::async, [&] { return SingleInstance::forwardToggleRequest(name); });
    EXPECT_TRUE(waitFor(toggle));
    EXPECT_EQ(toggled.size(), 1);
    // Nobody running: the caller is told so and carries the command out itself.
    EXPECT_FALSE(SingleInstance::forwardCommand(uniqueName(), request, 200));
}

TEST(SingleInstanceTest, TheBinaryForwardsPathsRelativeToWhereItWasStarted)
{
    const QString binary = qEnvironmentVariable("HOLDRA_BINARY");
    if (binary.isEmpty())
        GTEST_SKIP() << "HOLDRA_BINARY is set by ctest";
    holdra::test::TempDir dir;
    const QString data = dir.mkdir("data");
    const QString work = dir.mkdir("work");
    const QString runtime = dir.mkdir("runtime");
    // A start names files that exist; a missing one is refused before anything is forwarded.
    dir.write("work/报告 1.txt", "r");
    dir.write("other/x.pdf", "x");
    ::chmod(QFile::encodeName(runtime).constData(), 0700);
    QString name;
    {
        const auto dataHome = scopedVariable("XDG_DATA_HOME", data.toLocal8Bit());
        const auto runtimeDir = scopedVariable("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
        name = SingleInstance::defaultServerName();
    }
    SingleInstance running(name);
    ASSERT_TRUE(running.listen());
    QSignalSpy opened(&running, &SingleInstance::filesOpened);

    QProcess second;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", data);
    environment.insert("XDG_RUNTIME_DIR", runtime);
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

TEST(SingleInstanceTest, AnotherUserCanNeitherReachNorImpersonateTheRunningInstance)
{
    if (const QString reason = ForeignUser::unavailable(); !reason.isEmpty())
        GTEST_SKIP() << qPrintable(reason);
    holdra::test::TempDir dir;
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    const QString shared = dir.mkdir("shared");
    ::chmod(QFile::encodeName(shared).constData(), 01777);

    // Our socket opened up to everyone: the server itself still turns `nobody` away.
    const QString ours = dir.filePath("ours/instance");
    SingleInstance running(ours);
    ASSERT_TRUE(running.listen());
    for (const QString &path : {dir.filePath("ours"), ours})
        ::chmod(QFile::encodeName(path).constData(), 0777);
    QSignalSpy opened(&running, &SingleInstance::filesOpened);
    const std::unique_ptr<QProcess> intruder = ForeignUser::start(ForeignUser::peerHelper(), {"send", ours});
    QSignalSpy intruderDone(intruder.get(), &QProcess::finished);
    ASSERT_TRUE(intruderDone.wait(20000));
    const QByteArray said = intruder->readAll();
    EXPECT_NE(intruder->exitCode(), 0) << said.constData();
    EXPECT_FALSE(said.contains("reply ok")) << said.constData();
    EXPECT_TRUE(opened.isEmpty());

    // `nobody` listening where we would look: no file name reaches it, and we do not take it for ours.
    const QString impostor = shared + "/instance";
    const std::unique_ptr<QProcess> listener = ForeignUser::start(ForeignUser::peerHelper(), {"listen", impostor});
    ASSERT_TRUE(listener->waitForReadyRead(20000));
    ASSERT_TRUE(listener->readLine().startsWith("ready"));
    EXPECT_FALSE(SingleInstance::forward(impostor, {QUrl::fromLocalFile("/root/secret.txt")}, 2000));
    ASSERT_TRUE(listener->waitForFinished(20000));
    EXPECT_EQ(listener->readAll().trimmed(), QByteArray("received 0"));

    // `nobody` planted the per-user fallback of the runtime directory: there is no socket path at all.
    const auto runtime = scopedVariable("XDG_RUNTIME_DIR", QByteArray());
    const auto temporary = scopedVariable("TMPDIR", QFile::encodeName(shared));
    const QString planted = shared + "/runtime-root";
    ASSERT_EQ(ForeignUser::run(QStringLiteral("mkdir"), {"-m", "0700", planted}).exitCode, 0);
    EXPECT_EQ(SingleInstance::defaultServerName(), QString());
    SingleInstance victim(SingleInstance::defaultServerName());
    EXPECT_FALSE(victim.listen());
}
