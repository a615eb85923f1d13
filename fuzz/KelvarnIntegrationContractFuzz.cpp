// The capability rule and the display-id rule against plain restatements of
// their grammars: any disagreement, or a crash, is a finding.

#include "Integration/KelvarnIntegrationContract.h"

#include <QUrlQuery>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

using namespace holdra;
namespace Contract = KelvarnIntegrationContract;

namespace {

// "+1", "0001", "-3": a sign, then ASCII digits; values beyond 64 bits count as 0.
bool capabilityStringSupports(const QByteArray &text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i == text.size())
        return false;
    quint64 value = 0;
    bool overflow = false;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        const quint64 digit = quint64(text[i] - '0');
        overflow = overflow || value > (quint64(INT64_MAX) - digit) / 10;
        if (!overflow)
            value = value * 10 + digit;
    }
    return !negative && !overflow && value >= 1;
}

void checkCapability(const uint8_t *data, size_t size)
{
    if (size == 0)
        return;
    const QByteArray rest(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    QVariant value;
    bool expected = false;
    switch (data[0] % 4) {
    case 0:
        value = QString::fromUtf8(rest);
        // Only pure ASCII survives the UTF-8 round trip unchanged; keep the reference exact.
        expected = QString::fromUtf8(rest).toUtf8() == rest && capabilityStringSupports(rest);
        break;
    case 1: {
        qint64 number = 0;
        std::memcpy(&number, rest.constData(), std::min(size_t(rest.size()), sizeof number));
        value = number;
        expected = number >= 1;
        break;
    }
    case 2: {
        double number = 0;
        std::memcpy(&number, rest.constData(), std::min(size_t(rest.size()), sizeof number));
        value = number;
        expected = number >= 1.0 && number <= std::numeric_limits<double>::max();
        break;
    }
    default:
        value = rest;
        expected = false;
        break;
    }
    const QVariantMap info{{QString::fromLatin1(Contract::targetDisplayCapabilityInfoKey), value}};
    if (Contract::supportsTargetDisplay(info) != expected)
        std::abort();
}

bool allowedScalar(char32_t scalar)
{
    return QChar::isLetterOrNumber(scalar) || QChar::isMark(scalar) || scalar == U'-' || scalar == U'_';
}

void checkDisplayID(const uint8_t *data, size_t size)
{
    const QString id = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    bool expected = !id.isEmpty() && id.toUtf8().size() <= Contract::maximumDisplayIDBytes;
    for (const char32_t scalar : id.toUcs4())
        expected = expected && scalar != 0xFFFD && allowedScalar(scalar);
    const std::optional<QUrl> url = Contract::openTodayFolderURL(id);
    if (url.has_value() != expected)
        std::abort();
    if (!url)
        return;
    // The identifier must arrive intact, and nothing else may ride along.
    const QUrlQuery query(*url);
    if (query.queryItems(QUrl::FullyDecoded).size() != 1
        || query.queryItemValue(QStringLiteral("display-id"), QUrl::FullyDecoded) != id
        || url->adjusted(QUrl::RemoveQuery) != Contract::openTodayFolderURL())
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    checkCapability(data, size);
    checkDisplayID(data, size);
    return 0;
}
