#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

#include <memory>

class QQmlEngine;

// The one way the application makes a view of its QML module ("Holdra"): by
// type name, on the engine it is given (the application has one), with the
// view's required properties set before its bindings first run.
namespace holdra::ModuleViews {

// Null when the view cannot be made; `error` (if given) then says why, and the
// failure is logged.
QObject *create(QQmlEngine &engine, const QString &typeName, const QVariantMap &properties = {},
                QString *error = nullptr);

// The same, for a view whose root is a `T` (a window, an item); the caller owns it.
template<typename T>
std::unique_ptr<T> make(QQmlEngine &engine, const QString &typeName, const QVariantMap &properties = {},
                        QString *error = nullptr)
{
    QObject *object = create(engine, typeName, properties, error);
    auto *view = qobject_cast<T *>(object);
    if (object && !view) {
        if (error)
            *error = typeName + QStringLiteral(" is not a ") + QString::fromLatin1(T::staticMetaObject.className());
        delete object;
    }
    return std::unique_ptr<T>(view);
}

} // namespace holdra::ModuleViews
