#include "Desktop/DisplayIdentity.h"

namespace holdra {

const QUuid DisplayIdentity::nameSpace = QUuid(QStringLiteral("{6f1c2a8e-3b5d-4f7a-9c61-2e8d4b0a7f35}"));

std::optional<QString> DisplayIdentity::identifier(const Screen &screen)
{
    const QString manufacturer = screen.manufacturer.trimmed();
    const QString model = screen.model.trimmed();
    const QString serial = screen.serialNumber.trimmed();
    if (manufacturer.isEmpty() && model.isEmpty() && serial.isEmpty()) {
        if (screen.connector.isEmpty())
            return std::nullopt;
        return QStringLiteral("runtime-") + screen.connector;
    }
    // The connector tells twins apart: cheap panels repeat one serial, or none.
    const QStringList parts{manufacturer, model, serial, screen.connector};
    const QUuid uuid = QUuid::createUuidV5(nameSpace, parts.join(QLatin1Char('\n')));
    return uuid.toString(QUuid::WithoutBraces).toUpper();
}

QStringList DisplayIdentity::identifiers(const QList<Screen> &screens)
{
    QStringList result;
    for (const Screen &screen : screens) {
        if (const std::optional<QString> id = identifier(screen))
            result.append(*id);
    }
    return result;
}

} // namespace holdra
