#pragma once

#include "Settings/UserDefaults.h"

#include <QSettings>

namespace holdra {

// Defaults in an INI file through QSettings: ~/.config/Holdra/Holdra.ini for the
// application, or any file. INI keeps no types, so values read back from the file
// come as text and are interpreted here; every write is flushed at once.
class QSettingsUserDefaults final : public UserDefaults
{
public:
    QSettingsUserDefaults();
    explicit QSettingsUserDefaults(const QString &filePath);

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

private:
    void write(const QString &key, const QVariant &value);

    QSettings m_settings;
};

} // namespace holdra
