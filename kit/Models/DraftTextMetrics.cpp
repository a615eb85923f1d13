#include "Models/DraftTextMetrics.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QTextBoundaryFinder>
#include <QTextLayout>

#include <cmath>

namespace holdra::DraftTextMetrics {

namespace {

// The first maximumMeasuredCharacters user-perceived characters. Only a bounded
// window is scanned, so that a huge paste costs no more than a short one: four code
// units per character leave room for surrogate pairs and combining marks.
QString measuredPrefix(const QString &text)
{
    if (text.size() <= maximumMeasuredCharacters)
        return text;
    const QString window = text.left(4 * maximumMeasuredCharacters);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, window);
    qsizetype end = window.size();
    for (int count = 0; count < maximumMeasuredCharacters; ++count) {
        const qsizetype next = finder.toNextBoundary();
        if (next < 0)
            break;
        end = next;
    }
    return window.left(end);
}

} // namespace

QFont font()
{
    QFont font = QGuiApplication::font();
    font.setPixelSize(fontPixelSize);
    return font;
}

double lineHeight()
{
    const QFontMetricsF metrics(font());
    return std::ceil(metrics.ascent() + metrics.descent());
}

int lineCount(const QString &text, double width)
{
    if (!(width > 0))
        return 1;
    QString measured = measuredPrefix(text);
    if (measured.isEmpty())
        measured = QStringLiteral(" ");

    const QFont metricsFont = font();
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // Qt Quick text lays out with design metrics unless it renders natively.
    option.setUseDesignMetrics(true);

    // A paragraph per line break, as the field's text document splits them; an
    // empty paragraph still takes one line.
    int lines = 0;
    for (const QStringView paragraph : QStringView(measured).split(u'\n')) {
        QTextLayout layout(paragraph.toString(), metricsFont);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            if (++lines == maximumLineCount)
                break;
        }
        layout.endLayout();
        if (lines == maximumLineCount)
            break;
    }
    return std::max(lines, 1);
}

double height(const QString &text, double width)
{
    return lineHeight() * lineCount(text, width);
}

} // namespace holdra::DraftTextMetrics
