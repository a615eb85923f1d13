#include "Panel/ModuleViews.h"

#include "App/AppLogging.h"

#include <QQmlComponent>
#include <QQmlEngine>

namespace holdra::ModuleViews {

QObject *create(QQmlEngine &engine, const QString &typeName, const QVariantMap &properties, QString *error)
{
    // Qt 6.4 has no QQmlComponent::loadFromModule: a one-line document names the type.
    QQmlComponent component(&engine);
    component.setData(QStringLiteral("import Holdra\n%1 {}\n").arg(typeName).toUtf8(), QUrl());
    // Qt 6.4 crashes creating from a component that failed to load.
    QObject *object = component.isReady() ? component.createWithInitialProperties(properties) : nullptr;
    if (!object) {
        const QString reason = component.errorString().trimmed();
        qCWarning(lcViews).noquote() << typeName << "could not be made:" << reason;
        if (error)
            *error = reason;
    }
    return object;
}

} // namespace holdra::ModuleViews
