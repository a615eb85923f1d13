#pragma once

namespace holdra {

// The revision this tree was built from, or "" outside a git checkout. It lives in a
// generated source of its own so that a new commit rebuilds one file, not the whole tree.
const char *buildNumber();

} // namespace holdra
