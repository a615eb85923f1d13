#include "Notch/PanelTexts.h"

#include "Models/StashItem.h"

#include <QTextBoundaryFinder>

namespace holdra {

int PanelTexts::characterCount(const QString &text)
{
    if (text.isEmpty())
        return 0;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

QString PanelTexts::leading(const QString &text, int count)
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

QString PanelTexts::durationText(double seconds)
{
    return StashItem::durationText(seconds);
}

} // namespace holdra
