#pragma once

#include <QByteArray>
#include <QRectF>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <ostream>

// Readable failure messages for the Qt values the suites compare.
inline void PrintTo(const QString &value, std::ostream *os)
{
    *os << '"' << value.toStdString() << '"';
}

inline void PrintTo(const QByteArray &value, std::ostream *os)
{
    *os << "QByteArray(" << value.size() << " bytes: " << value.left(64).toPercentEncoding().toStdString() << ')';
}

inline void PrintTo(const QUrl &value, std::ostream *os)
{
    *os << "QUrl(" << value.toString(QUrl::FullyEncoded).toStdString() << ')';
}

inline void PrintTo(const QUuid &value, std::ostream *os)
{
    *os << value.toString(QUuid::WithoutBraces).toStdString();
}

inline void PrintTo(const QRectF &r, std::ostream *os)
{
    *os << '(' << r.x() << ", " << r.y() << ", " << r.width() << " x " << r.height() << ')';
}
