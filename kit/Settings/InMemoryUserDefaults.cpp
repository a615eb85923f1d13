#include "Settings/InMemoryUserDefaults.h"

namespace holdra {

namespace {

template<typename T>
std::optional<T> typed(const QVariantHash &values, const QString &key)
{
    const auto it = values.constFind(key);
    if (it == values.constEnd() || it->metaType() != QMetaType::fromType<T>())
        return std::nullopt;
    return it->value<T>();
}

} // namespace

bool InMemoryUserDefaults::contains(const QString &key) const
{
    return m_values.contains(key);
}

std::optional<bool> InMemoryUserDefaults::boolValue(const QString &key) const
{
    return typed<bool>(m_values, key);
}

std::optional<double> InMemoryUserDefaults::doubleValue(const QString &key) const
{
    const QVariant v = m_values.value(key);
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return v.toDouble();
    default:
        return std::nullopt;
    }
}

std::optional<QString> InMemoryUserDefaults::stringValue(const QString &key) const
{
    return typed<QString>(m_values, key);
}

std::optional<QStringList> InMemoryUserDefaults::stringListValue(const QString &key) const
{
    return typed<QStringList>(m_values, key);
}

std::optional<QByteArray> InMemoryUserDefaults::dataValue(const QString &key) const
{
    return typed<QByteArray>(m_values, key);
}

void InMemoryUserDefaults::setBool(const QString &key, bool value)
{
    m_values.insert(key, value);
}

void InMemoryUserDefaults::setDouble(const QString &key, double value)
{
    m_values.insert(key, value);
}

void InMemoryUserDefaults::setString(const QString &key, const QString &value)
{
    m_values.insert(key, value);
}

void InMemoryUserDefaults::setStringList(const QString &key, const QStringList &value)
{
    m_values.insert(key, value);
}

void InMemoryUserDefaults::setData(const QString &key, const QByteArray &value)
{
    m_values.insert(key, value);
}

QVariant InMemoryUserDefaults::value(const QString &key) const
{
    return m_values.value(key);
}

void InMemoryUserDefaults::setValue(const QString &key, const QVariant &value)
{
    m_values.insert(key, value);
}

QVariantHash InMemoryUserDefaults::values() const
{
    return m_values;
}

} // namespace holdra
