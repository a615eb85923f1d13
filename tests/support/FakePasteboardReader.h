#pragma once

#include "Pasteboard/PasteboardReading.h"

#include <QStringList>

namespace holdra::test {

// A clipboard with fixed contents that logs which operations were called.
class FakePasteboardReader : public PasteboardReading
{
public:
    QList<QUrl> files;
    std::optional<PasteboardContent::Image> image;
    std::optional<QString> web;
    std::optional<QString> text;

    mutable QStringList calls;

    QList<QUrl> fileURLs() const override { return logged(u"fileURLs", files); }
    std::optional<PasteboardContent::Image> imageData() const override { return logged(u"imageData", image); }
    std::optional<QString> webURL() const override { return logged(u"webURL", web); }
    std::optional<QString> plainText() const override { return logged(u"plainText", text); }

private:
    template<typename Value>
    const Value &logged(QStringView call, const Value &value) const
    {
        calls.append(call.toString());
        return value;
    }
};

} // namespace holdra::test
