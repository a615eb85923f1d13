#pragma once

#include "Pasteboard/DropContent.h"
#include "Pasteboard/DropProvider.h"

#include <QString>

#include <optional>

namespace holdra {

// Decides what one dropped provider carries. The first rule that finds
// something wins: a local file URL, audio bytes, image bytes, a link (a URL of
// any other scheme), then text that is not blank. A representation that cannot
// be loaded lets the next rule try.
namespace DropDecision {

std::optional<DropContent> decide(const DropProvider &provider);

// The name a dropped recording is stored under: the suggested name when it is
// not blank (else `fallback`), cut to its last path component, with ":" and
// control characters replaced by "-", and ".ext" appended when the name has
// no extension of its own. "Voice Memo" with m4a gives "Voice Memo.m4a".
QString dropFileName(const std::optional<QString> &suggested, const QString &fallback, const QString &fileExtension);

} // namespace DropDecision
} // namespace holdra
