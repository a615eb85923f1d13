#include "Settings/QSettingsUserDefaults.h"

namespace holdra {

QSettingsUserDefaults::QSettingsUserDefaults()
    : m_settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Holdra"), QStringLiteral("Holdra"))
{
}

QSettingsUserDefaults::QSettingsUserDefaults(const QString &filePath)
    : m_settings(filePath, QSettings::IniFormat)
{
}

bool QSettingsUserDefaults::contains(const QString &key) const
{
    return m_settings.contains(key);
}

std::optional<bool> QSettingsUserDefaults::boolValue(const QString &key) const
{
    const QVariant v = m_settings.value(key);
    if (v.typeId() == QMetaType::Bool)
        return v.toBool();
    if (v.typeId() == QMetaType::QString) {
        const QString text = v.toString();
        if (text == QLatin1String("true"))
            return true;
        if (text == QLatin1String("false"))
            return false;
    }
    return std::nullopt;
}

std::optional<double> QSettingsUserDefaults::doubleValue(const QString &key) const
{
    const QVariant v = m_settings.value(key);
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return v.toDouble();
    case QMetaType::QString: {
        bool ok = false;
        const double number = v.toString().toDouble(&ok);
        if (ok)
            return number;
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

std::optional<QString> QSettingsUserDefaults::stringValue(const QString &key) const
{
    const QVariant v = m_settings.value(key);
    if (v.typeId() == QMetaType::QString)
        return v.toString();
    return std::nullopt;
}

std::optional<QStringList> QSettingsUserDefaults::stringListValue(const QString &key) const
{
    if (!m_settings.contains(key))
        return std::nullopt;
    const QVariant v = m_settings.value(key);
    // The INI file writes an empty list as an invalid value and reads a one-element
    // list back as a plain string.
    if (!v.isValid())
        return QStringList();
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList();
    if (v.typeId() == QMetaType::QString)
        return QStringList{v.toString()};
    return std::nullopt;
}

std::optional<QByteArray> QSettingsUserDefaults::dataValue(const QString &key) const
{
    const QVariant v = m_settings.value(key);
    if (v.typeId() == QMetaType::QByteArray)
        return v.toByteArray();
    return std::nullopt;
}

void QSettingsUserDefaults::setBool(const QString &key, bool value)
{
    write(key, value);
}

void QSettingsUserDefaults::setDouble(const QString &key, double value)
{
    write(key, value);
}

void QSettingsUserDefaults::setString(const QString &key, const QString &value)
{
    write(key, value);
}

void QSettingsUserDefaults::setStringList(const QString &key, const QStringList &value)
{
    write(key, value);
}

void QSettingsUserDefaults::setData(const QString &key, const QByteArray &value)
{
    write(key, value);
}

void QSettingsUserDefaults::write(const QString &key, const QVariant &value)
{
    m_settings.setValue(key, value);
    m_settings.sync();
}

} // namespace holdra
