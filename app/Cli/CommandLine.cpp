#include "Cli/CommandLine.h"

#include "Cli/InstanceClient.h"
#include "Cli/StashCheck.h"
#include "Cli/StashCommands.h"
#include "Store/ImportJob.h"
#include "Store/StashStore.h"
#include "Support/AppPaths.h"
#include "Support/BuildNumber.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTextStream>

#include <cstdio>
#include <sys/stat.h>

namespace holdra::cli {

namespace {

const QStringList readingCommands{QStringLiteral("list"), QStringLiteral("show"), QStringLiteral("path"),
                                  QStringLiteral("check")};
const QStringList changingCommands{QStringLiteral("add"),     QStringLiteral("rm"),   QStringLiteral("clear"),
                                   QStringLiteral("restore"), QStringLiteral("lock"), QStringLiteral("unlock"),
                                   QStringLiteral("note")};
const QStringList helpOptions{QStringLiteral("--help"), QStringLiteral("-h"), QStringLiteral("help")};
constexpr auto settingsOption = "--settings";
// Another writer holds the lock for one command; the wait is given in slices so
// that a Holdra starting meanwhile is asked again instead of waited for.
constexpr std::chrono::milliseconds lockSlice{200};

int printed(const CommandReply &reply)
{
    std::fwrite(reply.out.constData(), 1, size_t(reply.out.size()), stdout);
    std::fwrite(reply.err.constData(), 1, size_t(reply.err.size()), stderr);
    return reply.status;
}

int usageError(const QString &message)
{
    QTextStream(stderr) << "holdra: " << message << "\n\n" << CommandLine::usage();
    return 2;
}

QByteArray readStandardInput()
{
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly))
        return {};
    return input.readAll();
}

int runCheck(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    if (!arguments.isEmpty() && arguments != QStringList{QStringLiteral("--json")}) {
        err << "holdra: check 只接受 --json\n请看 'holdra --help'。\n";
        return 2;
    }
    const StashCheck::Report report = StashCheck::run(AppPaths::supportDirectory());
    if (arguments.isEmpty()) {
        for (const QString &line : StashCheck::toLines(report))
            out << line << '\n';
    } else {
        out << QString::fromUtf8(StashCheck::toJson(report)) << '\n';
    }
    return report.isClean() ? 0 : 1;
}

// Looking takes no lock and writes nothing, so it works beside a running
// shelf, on a full disk and on a read-only data directory.
int runReading(const QString &name, const QStringList &arguments)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (name == u"check")
        return runCheck(arguments, out, err);
    StashStore::Opening opening = StashStore::openForReading(AppPaths::supportDirectory());
    if (!opening.store) {
        err << "holdra: " << opening.errorMessage << '\n';
        return 1;
    }
    StashCommands commands(*opening.store, out, err);
    if (name == u"list")
        return commands.list(arguments);
    if (name == u"show")
        return commands.show(arguments);
    return commands.path(arguments);
}

// The running Holdra keeps the stash and its panel; it carries the change out.
// Without one, this process takes the writer lock in turn with other commands.
int runChanging(const CommandRequest &request, const StashStore::PixelSizeReader &pixelSizes)
{
    const QString server = InstanceClient::defaultServerName();
    const QDeadlineTimer deadline(StashStore::writerPatience);
    for (;;) {
        if (const std::optional<CommandReply> reply = InstanceClient::forwardCommand(server, request))
            return printed(*reply);
        const std::chrono::milliseconds slice = server.isEmpty()
            ? StashStore::writerPatience
            : std::min(lockSlice,
                       std::chrono::duration_cast<std::chrono::milliseconds>(deadline.remainingTimeAsDuration()));
        QElapsedTimer waited;
        waited.start();
        StashStore::Opening opening =
            StashStore::open(AppPaths::supportDirectory(), StashStore::defaultTrashRetentionDays, {}, slice);
        if (opening.store) {
            opening.store->setPixelSizeReader(pixelSizes);
            return printed(CommandLine::execute(*opening.store, request));
        }
        // Only a busy lock is worth another try; anything else fails at once.
        if (deadline.hasExpired() || waited.elapsed() < slice.count() || server.isEmpty()) {
            QTextStream(stderr) << "holdra: " << opening.errorMessage << '\n';
            return 1;
        }
    }
}

int runToggle(const QStringList &arguments)
{
    if (!arguments.isEmpty())
        return usageError(QStringLiteral("toggle 不接受参数"));
    if (InstanceClient::forwardToggleRequest(InstanceClient::defaultServerName()))
        return 0;
    QTextStream(stderr) << "holdra: Holdra 没有在运行\n";
    return 1;
}

int printVersion()
{
    QTextStream out(stdout);
    out << "holdra " << HOLDRA_VERSION;
    if (*buildNumber() != 0)
        out << " (" << buildNumber() << ')';
    out << '\n';
    return 0;
}

bool looksLikeCommand(const QString &argument)
{
    static const QRegularExpression word(QStringLiteral("^[a-z][a-z-]*$"));
    return word.match(argument).hasMatch();
}

// A start names files to open; anything else would start the shelf for nothing.
// Existence is asked of the bytes typed, which need not be UTF-8.
std::optional<int> refusedStart(int argc, char **argv)
{
    int missing = 0;
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (argument == QLatin1String(settingsOption) || argument.contains(QLatin1String("://")))
            continue;
        if (argument.startsWith(u'-'))
            return usageError(QStringLiteral("未知选项“%1”").arg(argument));
        struct stat status
        {
        };
        if (::lstat(argv[i], &status) == 0)
            continue;
        if (i == 1 && looksLikeCommand(argument))
            return usageError(QStringLiteral("未知命令“%1”").arg(argument));
        QTextStream(stderr) << "holdra: “" << argument << "”：没有这个文件或文件夹\n";
        ++missing;
    }
    return missing > 0 ? std::optional(1) : std::nullopt;
}

CommandRequest requestFrom(int argc, char **argv)
{
    CommandRequest request;
    for (int i = 1; i < argc; ++i)
        request.arguments.append(QByteArray(argv[i]));
    request.workingDirectory = QFile::encodeName(QDir::currentPath());
    // Only `add --text -` reads standard input; other commands leave it to the caller.
    if (request.arguments == QList<QByteArray>{"add", "--text", "-"})
        request.input = readStandardInput();
    return request;
}

} // namespace

QString CommandLine::usage()
{
    return QStringLiteral("用法：holdra [文件…]               启动 Holdra，或把文件交给正在运行的 Holdra\n"
                          "      holdra --settings            打开设置窗口\n"
                          "      holdra toggle                在指针所在的显示器上打开或收起面板\n"
                          "      holdra 命令 [参数…]          在终端里管理暂存\n"
                          "\n"
                          "命令：\n"
                          "  add PATH…                暂存文件和文件夹（以 - 开头的路径前加 --）\n"
                          "  add --text TEXT|-        暂存文字（- 表示从标准输入读取）；网址会存为链接\n"
                          "  list [--trash] [--json] [--search TEXT]\n"
                          "                           列出暂存或回收站，最新的在前；--search 只列出名称、备注、\n"
                          "                           文字或链接中含有 TEXT 的项（不分大小写和全角半角）\n"
                          "  show ID [--json]         显示一项的全部信息\n"
                          "  path ID                  一项的存储副本所在的路径\n"
                          "  rm ID…                   移入回收站（已锁定的项保留）\n"
                          "  clear                    把所有未锁定的项移入回收站\n"
                          "  restore ID…|--all        从回收站恢复\n"
                          "  lock ID…, unlock ID…     锁定（清空时保留）或解锁\n"
                          "  note ID [TEXT]           设置备注；不给 TEXT 则删除备注\n"
                          "  check [--json]           报告缺失或被改动的副本和多余的文件夹，不做任何修改\n"
                          "  --help, --version\n"
                          "\n"
                          "ID 是一项的 id（不分大小写），或它开头的至少 8 个字符。\n"
                          "列表每行一项：id、类型、名称和大小，以制表符分隔。\n"
                          "Holdra 正在运行时，修改暂存的命令由它执行，面板立即显示结果。\n"
                          "退出状态：0 完成，1 有操作失败（原因写在标准错误），2 用法错误。\n");
}

namespace {

// A command's arguments as text, its output streams and its commands over the
// store, kept together while a copy for it goes on.
struct Execution
{
    Execution(StashStore &store, const CommandRequest &request)
        : out(&outText)
        , err(&errText)
        , commands(store, out, err)
        , workingDirectory(QFile::decodeName(request.workingDirectory))
        , rawArguments(request.arguments.mid(1))
    {
        for (const QByteArray &argument : request.arguments)
            arguments.append(QString::fromLocal8Bit(argument));
        input.setData(request.input.value_or(QByteArray()));
        input.open(QIODevice::ReadOnly);
    }

    QString name() const { return arguments.value(0); }
    QStringList rest() const { return arguments.mid(1); }

    int run()
    {
        if (name() == u"add")
            return commands.add(rest(), workingDirectory, input, rawArguments);
        if (name() == u"rm")
            return commands.remove(rest());
        if (name() == u"clear")
            return commands.clear(rest());
        if (name() == u"restore")
            return commands.restore(rest());
        if (name() == u"lock" || name() == u"unlock")
            return commands.setLocked(name() == u"lock", rest());
        if (name() == u"note")
            return commands.note(rest());
        err << "holdra: 未知命令“" << name() << "”\n";
        return 2;
    }

    CommandReply reply(int status)
    {
        out.flush();
        err.flush();
        return {status, outText.toUtf8(), errText.toUtf8()};
    }

    QString outText;
    QString errText;
    QTextStream out;
    QTextStream err;
    StashCommands commands;
    QString workingDirectory;
    QList<QByteArray> rawArguments;
    QStringList arguments;
    QBuffer input;
};

} // namespace

CommandReply CommandLine::execute(StashStore &store, const CommandRequest &request)
{
    Execution execution(store, request);
    return execution.reply(execution.run());
}

void CommandLine::execute(StashStore &store, ImportJob &job, const CommandRequest &request, Done done)
{
    auto execution = std::make_shared<Execution>(store, request);
    if (execution->name() != u"add") {
        done(execution->reply(execution->run()));
        return;
    }
    const StashCommands::FilesToAdd files = execution->commands.prepareAdd(
        execution->rest(), execution->workingDirectory, execution->input, execution->rawArguments);
    if (files.status) {
        done(execution->reply(*files.status));
        return;
    }
    job.start({files.urls.cbegin(), files.urls.cend()},
              [execution, failures = files.failures, done = std::move(done)](const ImportJob::Result &result) {
                  StashStore::AddFilesResult added{result.added, result.errors, result.duplicates};
                  // Stopped from the panel (Escape): nothing of it was kept, which is no success.
                  if (result.cancelled)
                      added.errors.append(FileStorageError::cancelled());
                  done(execution->reply(execution->commands.finishAdd(added, failures)));
              });
}

bool CommandLine::needsGraphicalProgram(int argc, char **argv)
{
    const QByteArrayView name = argc > 1 ? QByteArrayView(argv[1]) : QByteArrayView();
    if (name == "add")
        return argc > 2 && QByteArrayView(argv[2]) != "--text";
    const QString command = QString::fromLocal8Bit(name);
    return !readingCommands.contains(command) && !changingCommands.contains(command) && command != u"toggle"
        && !helpOptions.contains(command) && command != u"--version";
}

std::optional<int> CommandLine::runIfCommand(int argc, char **argv, const StashStore::PixelSizeReader &pixelSizes)
{
    QStringList typed;
    for (int i = 1; i < argc; ++i)
        typed.append(QString::fromLocal8Bit(argv[i]));
    const QString name = typed.value(0);
    const QStringList rest = typed.mid(1);
    if (helpOptions.contains(name)) {
        QTextStream(stdout) << usage();
        return 0;
    }
    if (name == u"--version")
        return printVersion();
    if (!readingCommands.contains(name) && !changingCommands.contains(name) && name != u"toggle")
        return refusedStart(argc, argv);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Holdra"));
    QCoreApplication::setApplicationVersion(QStringLiteral(HOLDRA_VERSION));
    if (readingCommands.contains(name))
        return runReading(name, rest);
    if (name == u"toggle")
        return runToggle(rest);
    return runChanging(requestFrom(argc, argv), pixelSizes);
}

} // namespace holdra::cli
