#pragma once

#include "Settings/UserDefaults.h"

#include <QHash>
#include <QVariant>

namespace holdra {

// Defaults kept in memory with their exact types, for tests and throwaway settings.
class InMemoryUserDefaults final : public UserDefaults
{
public:
    InMemoryUserDefaults() = default;

    bool contains(const QString &key) const override;

    std::optional<bool> boolValue(const QString &key) const override;
    std::optional<double> doubleValue(const QString &key) const override;
    std::optional<QString> stringValue(const QString &key) const override;
    std::optional<QStringList> stringListValue(const QString &key) const override;
    std::optional<QByteArray> dataValue(const QString &key) const override;

    void setBool(const QString &key, bool value) override;
    void setDouble(const QString &key, double value) override;
    void setString(const QString &key, const QString &value) override;
    void setStringList(const QString &key, const QStringList &value) override;
    void setData(const QString &key, const QByteArray &value) override;

    // Raw access, so that a value of any type can be planted and what was written inspected.
    QVariant value(const QString &key) const;
    void setValue(const QString &key, const QVariant &value);
    QVariantHash values() const;

private:
    QVariantHash m_values;
};

} // namespace holdra
