#include "Cli/CommandLine.h"

#include "Cli/StashCheck.h"
#include "Cli/StashCommands.h"
#include "Store/StashStore.h"
#include "Support/AppPaths.h"
#include "Support/BuildNumber.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>

namespace holdra::cli {

namespace {

const QStringList &commandNames()
{
    static const QStringList names{
        QStringLiteral("add"),  QStringLiteral("list"),    QStringLiteral("show"),
        QStringLiteral("path"), QStringLiteral("rm"),      QStringLiteral("clear"),
        QStringLiteral("restore"), QStringLiteral("lock"), QStringLiteral("unlock"),
        QStringLiteral("note"), QStringLiteral("check"),   QStringLiteral("--help"),
        QStringLiteral("-h"),   QStringLiteral("--version"), QStringLiteral("help")};
    return names;
}

int runStashCommand(const QString &name, const QStringList &arguments, const QList<QByteArray> &rawArguments,
                    QTextStream &out, QTextStream &err)
{
    // Looking takes no lock and writes nothing, so it works beside a running
    // shelf, on a full disk and on a read-only data directory.
    const bool reading = name == u"list" || name == u"show" || name == u"path";
    StashStore::Opening opening = reading ? StashStore::openForReading(AppPaths::supportDirectory())
                                          : StashStore::open(AppPaths::supportDirectory());
    if (!opening.store) {
        err << "holdra: " << opening.errorMessage << '\n';
        return 1;
    }
    StashStore &store = *opening.store;
    StashCommands commands(store, out, err);
    QFile input;
    input.open(stdin, QIODevice::ReadOnly);
    int status = 2;
    if (name == u"add")
        status = commands.add(arguments, QDir::currentPath(), input, rawArguments);
    else if (name == u"list")
        status = commands.list(arguments);
    else if (name == u"show")
        status = commands.show(arguments);
    else if (name == u"path")
        status = commands.path(arguments);
    else if (name == u"rm")
        status = commands.remove(arguments);
    else if (name == u"clear")
        status = commands.clear(arguments);
    else if (name == u"restore")
        status = commands.restore(arguments);
    else if (name == u"lock" || name == u"unlock")
        status = commands.setLocked(name == u"lock", arguments);
    else if (name == u"note")
        status = commands.note(arguments);
    return status;
}

int runCheck(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    if (!arguments.isEmpty() && arguments != QStringList{QStringLiteral("--json")}) {
        err << "holdra: check takes only --json\nTry 'holdra --help'.\n";
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

} // namespace

bool CommandLine::isCommand(const QStringList &arguments)
{
    return arguments.size() > 1 && commandNames().contains(arguments.at(1));
}

QString CommandLine::usage()
{
    return QStringLiteral(
        "Usage: holdra [FILE…]              start Holdra, or hand files to the running one\n"
        "       holdra --settings           open the settings window\n"
        "       holdra COMMAND [ARGUMENT…]  work on the stash from a terminal\n"
        "\n"
        "Commands:\n"
        "  add PATH…                stash files and folders (-- before paths that start with -)\n"
        "  add --text TEXT|-        stash text (- reads standard input); a web address becomes a link\n"
        "  list [--trash] [--json]  the stash or the trash, newest first\n"
        "  show ID [--json]         one item in full\n"
        "  path ID                  the stored copy of an item\n"
        "  rm ID…                   move items to the trash (locked items stay)\n"
        "  clear                    move every unlocked item to the trash\n"
        "  restore ID…|--all        bring items back from the trash\n"
        "  lock ID…, unlock ID…     keep items from being cleared, or let them go\n"
        "  note ID [TEXT]           set an item's note; without TEXT, remove it\n"
        "  check [--json]           report missing or changed copies and stray folders, changing nothing\n"
        "  --help, --version\n"
        "\n"
        "An ID is an item's id in any letter case, or the first 8 or more characters of it.\n"
        "Items are listed as: id, kind, name and size, separated by tabs.\n"
        "Exit status: 0 done, 1 something failed (said on standard error), 2 usage error.\n");
}

std::optional<int> CommandLine::runIfCommand(int argc, char **argv)
{
    QStringList raw;
    for (int i = 0; i < argc; ++i)
        raw.append(QString::fromLocal8Bit(argv[i]));
    if (!isCommand(raw))
        return std::nullopt;

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Holdra"));
    QCoreApplication::setApplicationVersion(QStringLiteral(HOLDRA_VERSION));
    const QStringList arguments = QCoreApplication::arguments();
    const QString name = arguments.at(1);
    const QStringList rest = arguments.mid(2);

    QTextStream out(stdout);
    QTextStream err(stderr);
    if (name == u"--help" || name == u"-h" || name == u"help") {
        out << usage();
        return 0;
    }
    if (name == u"--version") {
        out << "holdra " << HOLDRA_VERSION;
        if (*buildNumber() != 0)
            out << " (" << buildNumber() << ')';
        out << '\n';
        return 0;
    }
    if (name == u"check")
        return runCheck(rest, out, err);
    QList<QByteArray> rawRest;
    for (int i = 2; i < argc; ++i)
        rawRest.append(QByteArray(argv[i]));
    return runStashCommand(name, rest, rawRest, out, err);
}

} // namespace holdra::cli
