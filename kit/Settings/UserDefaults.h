#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace holdra {

// The key-value store behind the user's settings. Getters answer nothing when the
// key is missing or holds a value of another type; setters store at once.
class UserDefaults
{
public:
    UserDefaults() = default;
    virtual ~UserDefaults() = default;
    Q_DISABLE_COPY_MOVE(UserDefaults)

    virtual bool contains(const QString &key) const = 0;

    virtual std::optional<bool> boolValue(const QString &key) const = 0;
    virtual std::optional<double> doubleValue(const QString &key) const = 0;
    virtual std::optional<QString> stringValue(const QString &key) const = 0;
    virtual std::optional<QStringList> stringListValue(const QString &key) const = 0;
    virtual std::optional<QByteArray> dataValue(const QString &key) const = 0;

    virtual void setBool(const QString &key, bool value) = 0;
    virtual void setDouble(const QString &key, double value) = 0;
    virtual void setString(const QString &key, const QString &value) = 0;
    virtual void setStringList(const QString &key, const QStringList &value) = 0;
    virtual void setData(const QString &key, const QByteArray &value) = 0;
};

} // namespace holdra
