#include "Store/TextFileContent.h"

#include <QStringDecoder>

namespace holdra::TextFileContent {

std::optional<QString> decoded(const QByteArray &bytes)
{
    QStringConverter::Encoding encoding = QStringConverter::Utf8;
    if (bytes.startsWith("\xFF\xFE"))
        encoding = QStringConverter::Utf16LE;
    else if (bytes.startsWith("\xFE\xFF"))
        encoding = QStringConverter::Utf16BE;
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

QString normalized(QString text)
{
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text.normalized(QString::NormalizationForm_C);
}

} // namespace holdra::TextFileContent
