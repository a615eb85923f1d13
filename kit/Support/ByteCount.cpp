#include "Support/ByteCount.h"

#include <QLocale>

namespace holdra {

QString formattedByteCount(qint64 bytes)
{
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}

} // namespace holdra
