// The floor for `holdra --version`: a program that loads QtCore and prints one line.
#include <QTextStream>
#include <QtGlobal>

int main()
{
    QTextStream(stdout) << "minimal " << qVersion() << '\n';
    return 0;
}
