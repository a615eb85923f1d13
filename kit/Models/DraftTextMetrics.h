#pragma once

#include <QFont>
#include <QString>

namespace holdra {

// How tall the quick-entry field's text is. The field must show its text in font(),
// wrapping at word boundaries or anywhere (TextEdit.Wrap) with Qt's default
// rendering, for these numbers to match what it draws.
namespace DraftTextMetrics {

inline constexpr int fontPixelSize = 14;
inline constexpr int maximumLineCount = 8;
// Longer drafts are measured by their first characters only; they reach the
// line cap long before that anyway.
inline constexpr int maximumMeasuredCharacters = 4000;

// The application's font at 14 pixels (a point of the panel's geometry is a pixel).
QFont font();

// Ascent plus descent of font(), rounded up to a whole point.
double lineHeight();

// Lines the text wraps into at `width`, from 1 to 8. A width that is not greater
// than 0 gives 1. Each line break starts a line, also at the very end, as the
// field's cursor moves onto it.
int lineCount(const QString &text, double width);

// lineHeight() × lineCount(text, width).
double height(const QString &text, double width);

} // namespace DraftTextMetrics
} // namespace holdra
