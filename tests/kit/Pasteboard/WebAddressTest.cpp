#include "Pasteboard/WebAddress.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

using namespace holdra;

TEST(WebAddressTest, OnlyOneWholeHttpOrHttpsAddressWithAHostIsALink)
{
    struct Case
    {
        const char *text;
        const char *address; // the parsed address, or nullptr for text
    };
    const Case cases[] = {
        {"https://example.com/a?b=1#c", "https://example.com/a?b=1#c"},
        {"  \t\nhttp://example.com/x \n", "http://example.com/x"},
        {"HTTPS://Example.COM/Path", "https://example.com/Path"},
        {"https://例子.中国/路径", "https://例子.中国/路径"},
        {"https://user@example.com:8443/", "https://user@example.com:8443/"},
        // A second line or a sentence is text, however the address begins.
        {"https://example.com/x\nsecond line", nullptr},
        {"https://example.com/x\r\n\r\nmore", nullptr},
        {"https://example.com/a b", nullptr},
        {"https://example.com/a\tb", nullptr},
        {"https://example.com/a\u3000b", nullptr},
        {"https://example.com/a\u00a0b", nullptr},
        {"see https://example.com", nullptr},
        // Other schemes, even those that begin like "http".
        {"ftp://example.com/file", nullptr},
        {"httpx://example.com/", nullptr},
        {"https+git://example.com/", nullptr},
        {"file:///tmp/x", nullptr},
        {"mailto:someone@example.com", nullptr},
        // No host.
        {"https://", nullptr},
        {"https:///path", nullptr},
        {"http:relative/path", nullptr},
        {"example.com", nullptr},
        {"", nullptr},
        {" \n ", nullptr},
    };
    for (const Case &c : cases) {
        const std::optional<QUrl> url = WebAddress::fromText(QString::fromUtf8(c.text));
        if (c.address)
            EXPECT_EQ(url, QUrl(QString::fromUtf8(c.address))) << c.text;
        else
            EXPECT_EQ(url, std::nullopt) << c.text;
    }
}
