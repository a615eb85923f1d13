#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Holdra"));
    QCoreApplication::setApplicationVersion(QStringLiteral(HOLDRA_VERSION));
    QTextStream(stdout) << "Holdra " << QCoreApplication::applicationVersion() << '\n';
    return 0;
}
