#include "Platform/WindowListSource.h"

namespace holdra {

WindowListSource::~WindowListSource() = default;

} // namespace holdra
