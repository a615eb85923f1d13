#include "App/ItemTransfer.h"
#include "../Panel/ControllerFixture.h"
#include "Cli/ItemFormatter.h"

#include <QQmlEngine>
#include <QScopeGuard>
#include <QTimer>

#include <future>

using namespace holdra;
using namespace holdra::test;
using namespace Qt::StringLiterals;

namespace {

class ItemTransferTest : public ControllerFixture
{
protected:
    ItemTransfer &transfer()
    {
        if (!m_transfer)
            m_transfer = std::make_unique<ItemTransfer>(controller(), *m_store, m_engine, &m_defaults);
        return *m_transfer;
    }

    // Drops and opened files are copied off the main thread; true once committed.
    bool imported()
    {
        return waitFor([this] { return !controller().importJob()->isBusy(); });
    }

    QUrl missing() const { return QUrl::fromLocalFile(m_dir.filePath(u"gone.txt"_s)); }

    // A file of 256 GiB that is all hole: its copy is instant but hashing its
    // zeros takes minutes, so an import of it is still running whenever looked at.
    QUrl endlessFile() const
    {
        QFile file(m_dir.write(u"sources/disk.img"_s, {}));
        const bool made = file.resize(qint64(256) << 30);
        EXPECT_TRUE(made) << "this file system has no sparse files";
        return QUrl::fromLocalFile(file.fileName());
    }

    // While the job copies, the main thread's event loop keeps turning (a 1 ms
    // heartbeat ticks) and the progress it shows moves.
    ::testing::AssertionResult keepsRunningWhileCopying()
    {
        ImportJob &job = *controller().importJob();
        int beats = 0;
        QTimer heartbeat;
        QObject::connect(&heartbeat, &QTimer::timeout, [&beats] { ++beats; });
        heartbeat.start(1);
        if (!waitFor([&] { return beats >= 5 && job.bytesDone() > 0; }))
            return ::testing::AssertionFailure() << beats << " beats, " << job.bytesDone() << " bytes done";
        if (!job.isBusy() || job.bytesDone() >= job.bytesTotal())
            return ::testing::AssertionFailure() << "the copy was over before the event loop turned";
        return ::testing::AssertionSuccess();
    }

    // A command as `holdra` in a terminal forwards it, answered on another thread.
    std::future<std::optional<cli::CommandReply>> forward(const QList<QByteArray> &arguments)
    {
        cli::CommandRequest request;
        request.arguments = arguments;
        request.workingDirectory = QFile::encodeName(m_dir.path());
        return std::async(std::launch::async, [name = transfer().instance().serverName(), request] {
            return SingleInstance::forwardCommand(name, request);
        });
    }

    template<typename T>
    static bool ready(const std::future<T> &future)
    {
        return future.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    }

    QQmlEngine m_engine;
    std::unique_ptr<ItemTransfer> m_transfer;
};

} // namespace

TEST_F(ItemTransferTest, FilesOpenedWithHoldraThatOnlyRepeatAreShownAndFailuresAreNoSuccess)
{
    openStore();
    for (int i = 1; i <= 8; ++i)
        m_store->addFiles({source(u"f%1.txt"_s.arg(i), QByteArray::number(i))});
    const StashItem bottom = m_store->items().last();
    NotchController &c = controller();

    transfer().importExternalFiles({source(u"again.txt"_s, "1")});
    ASSERT_TRUE(imported());
    EXPECT_TRUE(c.isOpen());
    EXPECT_EQ(c.selection()->ids(), QSet<QUuid>{bottom.id()});
    EXPECT_EQ(c.selection()->scrollTargetItemID(), bottom.id());
    EXPECT_FALSE(c.toasts()->isError());

    transfer().importExternalFiles({source(u"new.txt"_s, "new"), missing()});
    ASSERT_TRUE(imported());
    EXPECT_EQ(c.selection()->scrollTargetItemID(), m_store->items().first().id());
    EXPECT_EQ(c.toasts()->message(), u"已暂存 1 项，1 项失败"_s);
    EXPECT_TRUE(c.toasts()->isError());
}

// `holdra add` beside the running shelf: the shelf copies on its worker and
// keeps turning, the terminal gets the same lines and status as a command run
// alone once the commit is done, and a later command waits its turn. (A paste
// or a drop goes through the same import job.)
TEST_F(ItemTransferTest, AForwardedAddCopiesOffTheMainThreadAndAnswersInTurnOnceCommitted)
{
    const QByteArray runtime = QFile::encodeName(m_dir.mkdir(u"runtime"_s));
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime);
    const auto restore = qScopeGuard([&] { qputenv("XDG_RUNTIME_DIR", oldRuntime); });
    QFile::setPermissions(QString::fromLocal8Bit(runtime),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    openStore();
    m_store->addFiles({source(u"old.txt"_s, "old")});
    ASSERT_TRUE(transfer().listenForOtherInstances());

    auto mixed = forward({"add", QFile::encodeName(source(u"new.txt"_s, "new").toLocalFile()),
                          QFile::encodeName(source(u"again.txt"_s, "old").toLocalFile()), "gone.txt"});
    ASSERT_TRUE(waitFor([&] { return ready(mixed); }));
    const std::optional<cli::CommandReply> answer = mixed.get();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 1);
    const QList<QByteArray> lines = answer->out.split('\n');
    ASSERT_EQ(lines.size(), 3) << answer->out.constData();
    const StashItem added = m_store->items().first();
    EXPECT_EQ(added.displayName(), u"new.txt"_s);
    EXPECT_EQ(QString::fromUtf8(lines[0]), cli::ItemFormatter::line(added));
    EXPECT_EQ(QString::fromUtf8(lines[1]),
              cli::ItemFormatter::line(m_store->items().last()) + u"\t「old.txt」已存在"_s);
    EXPECT_TRUE(answer->err.contains("gone.txt")) << answer->err.constData();

    auto huge = forward({"add", QFile::encodeName(endlessFile().toLocalFile())});
    ASSERT_TRUE(waitFor([&] { return controller().importJob()->isBusy(); }));
    auto later = forward({"add", "--text", "after the disk image"});
    EXPECT_TRUE(keepsRunningWhileCopying());
    EXPECT_FALSE(ready(huge));
    EXPECT_FALSE(ready(later));
    EXPECT_EQ(m_store->count(), 2);

    // Escape in the panel stops it: the terminal is told, nothing was kept, and the next command runs.
    controller().importJob()->cancel();
    ASSERT_TRUE(waitFor([&] { return ready(huge) && ready(later); }));
    const std::optional<cli::CommandReply> stopped = huge.get();
    ASSERT_TRUE(stopped);
    EXPECT_EQ(stopped->status, 1);
    EXPECT_EQ(stopped->out, QByteArray());
    EXPECT_TRUE(stopped->err.contains("已取消暂存")) << stopped->err.constData();
    const std::optional<cli::CommandReply> text = later.get();
    ASSERT_TRUE(text);
    EXPECT_EQ(text->status, 0);
    EXPECT_EQ(displayNames(m_store->items()).first(), u"after the disk image"_s);
    EXPECT_EQ(m_store->count(), 3);
    EXPECT_EQ(itemDirectoryCount(), 2);
}
