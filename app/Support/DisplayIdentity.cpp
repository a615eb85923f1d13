#include "Support/DisplayIdentity.h"

#include "Platform/X11RandrOutputs.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace holdra {

const QUuid DisplayIdentity::nameSpace = QUuid(QStringLiteral("{6f1c2a8e-3b5d-4f7a-9c61-2e8d4b0a7f35}"));

namespace {

bool hasEdidData(const DisplayIdentity::Screen &screen)
{
    return !screen.manufacturer.trimmed().isEmpty() || !screen.model.trimmed().isEmpty()
        || !screen.serialNumber.trimmed().isEmpty();
}

// Cheap panels report no serial or a serial of zeros.
bool isMeaningfulSerial(const QString &serial)
{
    const QString trimmed = serial.trimmed();
    return std::any_of(trimmed.cbegin(), trimmed.cend(), [](QChar c) { return c != QLatin1Char('0'); });
}

bool sameMonitorData(const DisplayIdentity::Screen &a, const DisplayIdentity::Screen &b)
{
    return a.manufacturer.trimmed() == b.manufacturer.trimmed() && a.model.trimmed() == b.model.trimmed()
        && a.serialNumber.trimmed() == b.serialNumber.trimmed();
}

} // namespace

std::optional<QString> DisplayIdentity::identifier(const Screen &screen, const QList<Screen> &attached)
{
    if (!hasEdidData(screen)) {
        if (!screen.runtimeNumber)
            return std::nullopt;
        return QStringLiteral("runtime-") + QString::number(*screen.runtimeNumber);
    }
    const auto twins = std::count_if(attached.cbegin(), attached.cend(),
                                     [&](const Screen &other) { return sameMonitorData(screen, other); });
    const bool serialIdentifies = isMeaningfulSerial(screen.serialNumber) && twins <= 1;

    QStringList parts{screen.manufacturer.trimmed(), screen.model.trimmed(), screen.serialNumber.trimmed()};
    if (!serialIdentifies)
        parts.append(screen.connector);
    const QUuid uuid = QUuid::createUuidV5(nameSpace, parts.join(QLatin1Char('\n')));
    return uuid.toString(QUuid::WithoutBraces).toUpper();
}

QStringList DisplayIdentity::identifiers(const QList<Screen> &screens)
{
    QStringList result;
    for (const Screen &screen : screens) {
        if (const std::optional<QString> id = identifier(screen, screens))
            result.append(*id);
    }
    return result;
}

QList<DisplayIdentity::Screen> DisplayIdentity::currentScreens()
{
    const QHash<QString, quint32> outputs = X11RandrOutputs::numbersByName();
    QList<Screen> screens;
    const QList<QScreen *> system = QGuiApplication::screens();
    for (qsizetype i = 0; i < system.size(); ++i) {
        const QScreen *screen = system[i];
        // Without RandR (Wayland, no X11) the position in the list stands in for the output number.
        const auto output = outputs.constFind(screen->name());
        screens.append({screen->name(), screen->manufacturer(), screen->model(), screen->serialNumber(),
                        output != outputs.cend() ? *output : quint32(i + 1)});
    }
    return screens;
}

std::optional<QString> DisplayIdentity::identifier(const QScreen *screen)
{
    const QList<Screen> screens = currentScreens();
    const qsizetype index = QGuiApplication::screens().indexOf(const_cast<QScreen *>(screen));
    if (index < 0 || index >= screens.size())
        return std::nullopt;
    return identifier(screens[index], screens);
}

QStringList DisplayIdentity::currentIdentifiers()
{
    return identifiers(currentScreens());
}

} // namespace holdra
