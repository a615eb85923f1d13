#include "Panel/PanelTexts.h"

#include "Models/StashItem.h"
#include "Support/Graphemes.h"

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
    return leadingGraphemes(text, count);
}

QString PanelTexts::durationText(double seconds)
{
    return StashItem::durationText(seconds);
}

} // namespace holdra
