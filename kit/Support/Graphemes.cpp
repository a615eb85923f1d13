#include "Support/Graphemes.h"

#include <QTextBoundaryFinder>

namespace holdra {

QString leadingGraphemes(const QString &text, int count)
{
    if (count <= 0)
        return {};
    if (text.size() <= count)
        return text;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int seen = 0;
    while (finder.toNextBoundary() != -1) {
        if (++seen == count)
            return text.left(finder.position());
    }
    return text;
}

} // namespace holdra
