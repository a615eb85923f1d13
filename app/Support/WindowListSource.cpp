#include "Support/WindowListSource.h"

namespace holdra {

WindowListSource::~WindowListSource() = default;

} // namespace holdra
