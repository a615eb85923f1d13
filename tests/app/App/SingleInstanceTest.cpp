#include "App/SingleInstance.h"
#include "ForeignUser.h"
#include "TempDir.h"

#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QUuid>
#include <gtest/gtest.h>

#include <future>
#include <sys/stat.h>

using namespace holdra;
using namespace Qt::StringLiterals;
using test::ForeignUser;

namespace {

// A socket path in a fresh directory of its own.
QString uniqueName()
{
    static test::TempDir dir;
    return dir.filePath(QUuid::createUuid().toString(QUuid::Id128) + u"/instance"_s);
}

// Sets (or, given a null value, unsets) an environment variable until the scope ends.
auto scopedVariable(const char *name, const QByteArray &value)
{
    const std::optional<QByteArray> old = qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
    value.isNull() ? qunsetenv(name) : qputenv(name, value);
    return qScopeGuard([name, old] { old ? qputenv(name, *old) : qunsetenv(name); });
}

// The client blocks, so it runs beside the event loop that serves it.
template<typename Call>
auto inBackground(Call call)
{
    auto result = std::async(std::launch::async, call);
    // A reply that never comes shows as the blocked call's own failure.
    (void)QTest::qWaitFor([&] { return result.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready; },
                          10000);
    return result.get();
}

} // namespace

// Files, a bare start, the settings and `toggle` each reach the running
// instance as their own request, and nothing else.
TEST(SingleInstanceTest, TheSecondInstanceForwardsEachRequestAsItsOwnSignal)
{
    const QString name = uniqueName();
    SingleInstance first(name);
    ASSERT_TRUE(first.listen());
    SingleInstance second(name);
    EXPECT_FALSE(second.listen());

    QSignalSpy opened(&first, &SingleInstance::filesOpened);
    QSignalSpy shown(&first, &SingleInstance::showRequested);
    QSignalSpy settings(&first, &SingleInstance::settingsRequested);
    QSignalSpy toggled(&first, &SingleInstance::toggleRequested);
    const QList<QUrl> files{QUrl::fromLocalFile(u"/tmp/a b.txt"_s), QUrl::fromLocalFile(u"/tmp/报告.pdf"_s),
                            QUrl::fromLocalFile(u"/tmp/x/../a b.txt"_s)};
    const struct
    {
        std::function<bool(const QString &, int)> send;
        QSignalSpy *expected;
    } requests[] = {
        {[&](const QString &to, int wait) { return SingleInstance::forward(to, files, wait); }, &opened},
        {[](const QString &to, int wait) { return SingleInstance::forward(to, {}, wait); }, &shown},
        {&SingleInstance::forwardSettingsRequest, &settings},
        {&SingleInstance::forwardToggleRequest, &toggled},
    };
    for (const auto &request : requests) {
        EXPECT_TRUE(inBackground([&] { return request.send(name, 3000); }));
        for (QSignalSpy *spy : {&opened, &shown, &settings, &toggled})
            EXPECT_EQ(spy->count(), spy == request.expected ? 1 : 0);
        if (request.expected == &opened && opened.size() == 1) { // cleaned, and each file once
            EXPECT_EQ(opened.first().first().value<QList<QUrl>>(), files.mid(0, 2));
        }
        request.expected->clear();
        // Nobody running: the caller is told so and starts Holdra itself.
        EXPECT_FALSE(request.send(uniqueName(), 200));
    }
    EXPECT_FALSE(SingleInstance::forward(uniqueName(), {}, 200));
}

TEST(SingleInstanceTest, TheSocketIsPrivatePerDataDirectoryAndAStaleOneIsReplaced)
{
    // An instance killed without closing leaves its socket file behind; its
    // directory is made private on the way.
    test::TempDir dir;
    const QString path = dir.write(u"run/stale.sock"_s, QByteArray());
    ::chmod(QFile::encodeName(dir.filePath(u"run"_s)).constData(), 0755);
    SingleInstance instance(path);
    EXPECT_TRUE(instance.listen());
    EXPECT_EQ(QFileInfo(dir.filePath(u"run"_s)).permissions() & 0x0777,
              QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);

    // A bare name would be a socket in the shared temporary directory.
    SingleInstance shared(u"holdra-shared"_s);
    EXPECT_FALSE(shared.listen());
    EXPECT_FALSE(SingleInstance::forward(u"holdra-shared"_s, {}, 200));

    const auto runtime = scopedVariable("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
    const auto dataA = scopedVariable("XDG_DATA_HOME", "/tmp/holdra-a");
    const QString a = SingleInstance::defaultServerName();
    const auto dataB = scopedVariable("XDG_DATA_HOME", "/tmp/holdra-b");
    EXPECT_NE(SingleInstance::defaultServerName(), a);
    EXPECT_EQ(QFileInfo(a).path(), dir.filePath(u"Holdra"_s));
}

// A command travels as bytes (a file name need not be UTF-8) with its standard
// input; its answer comes back whole, larger than one socket buffer.
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

    cli::CommandRequest request;
    request.arguments = {"add", "caf\xe9.txt", QByteArray("a\0b\n\n", 5)};
    request.workingDirectory = "/home/\xff";
    request.input = QByteArray(3 << 20, 'i');
    const std::optional<cli::CommandReply> answer =
        inBackground([&] { return SingleInstance::forwardCommand(name, request); });
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 2);
    EXPECT_EQ(answer->out.size(), 1 << 20);
    EXPECT_EQ(answer->err, "usage\n");
    ASSERT_TRUE(received);
    EXPECT_EQ(received->arguments, request.arguments);
    EXPECT_EQ(received->workingDirectory, request.workingDirectory);
    EXPECT_EQ(received->input, request.input);
    // Nobody running: the caller carries the command out itself.
    EXPECT_FALSE(SingleInstance::forwardCommand(uniqueName(), request, 200));
}

TEST(SingleInstanceTest, AnotherUserCanNeitherReachNorImpersonateTheRunningInstance)
{
    if (const QString reason = ForeignUser::unavailable(); !reason.isEmpty())
        GTEST_SKIP() << qPrintable(reason);
    test::TempDir dir;
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    const QString shared = dir.mkdir(u"shared"_s);
    ::chmod(QFile::encodeName(shared).constData(), 01777);

    // Our socket opened up to everyone: the server itself still turns `nobody` away.
    const QString ours = dir.filePath(u"ours/instance"_s);
    SingleInstance running(ours);
    ASSERT_TRUE(running.listen());
    for (const QString &path : {dir.filePath(u"ours"_s), ours})
        ::chmod(QFile::encodeName(path).constData(), 0777);
    QSignalSpy opened(&running, &SingleInstance::filesOpened);
    const std::unique_ptr<QProcess> intruder = ForeignUser::start(ForeignUser::peerHelper(), {u"send"_s, ours});
    QSignalSpy intruderDone(intruder.get(), &QProcess::finished);
    ASSERT_TRUE(intruderDone.wait(20000));
    const QByteArray said = intruder->readAll();
    EXPECT_NE(intruder->exitCode(), 0) << said.constData();
    EXPECT_FALSE(said.contains("reply ok")) << said.constData();
    EXPECT_TRUE(opened.isEmpty());

    // `nobody` listening where we would look: no file name reaches it, and we do not take it for ours.
    const QString impostor = shared + u"/instance"_s;
    const std::unique_ptr<QProcess> listener = ForeignUser::start(ForeignUser::peerHelper(), {u"listen"_s, impostor});
    ASSERT_TRUE(listener->waitForReadyRead(20000));
    ASSERT_TRUE(listener->readLine().startsWith("ready"));
    EXPECT_FALSE(SingleInstance::forward(impostor, {QUrl::fromLocalFile(u"/root/secret.txt"_s)}, 2000));
    ASSERT_TRUE(listener->waitForFinished(20000));
    EXPECT_EQ(listener->readAll().trimmed(), QByteArray("received 0"));

    // `nobody` planted the per-user fallback of the runtime directory: there is no socket path at all.
    const auto runtime = scopedVariable("XDG_RUNTIME_DIR", QByteArray());
    const auto temporary = scopedVariable("TMPDIR", QFile::encodeName(shared));
    ASSERT_EQ(ForeignUser::run(u"mkdir"_s, {u"-m"_s, u"0700"_s, shared + u"/runtime-root"_s}).exitCode, 0);
    EXPECT_EQ(SingleInstance::defaultServerName(), QString());
    SingleInstance victim(SingleInstance::defaultServerName());
    EXPECT_FALSE(victim.listen());
}
