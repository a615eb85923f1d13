#pragma once

#include <QString>

namespace holdra {

// The first `count` user-perceived characters of `text`, so a cut never splits
// an emoji or a letter from its accent. Empty for a count of zero or less.
QString leadingGraphemes(const QString &text, int count);

} // namespace holdra
