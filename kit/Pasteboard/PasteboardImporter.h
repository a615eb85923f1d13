#pragma once

#include "Pasteboard/PasteboardContent.h"
#include "Pasteboard/PasteboardReading.h"

namespace holdra {

namespace PasteboardImporter {

// The first that applies wins: files, then an image, then a non-empty web URL,
// then text that is not blank; otherwise empty. Later representations are not
// read once one has matched, so copying a file together with its name as text
// pastes the file, and an image with its page URL pastes the image.
PasteboardContent classify(const PasteboardReading &pasteboard);

} // namespace PasteboardImporter
} // namespace holdra
