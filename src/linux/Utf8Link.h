#pragma once
// Paths in well-formed UTF-8 for files whose names are not: desktops refuse an entry whose values are
// anything else, and a disc's names may be in its maker's encoding.
#include <string>

namespace lnx {

// A symbolic link to `target` in `folder` (made when missing), named after the target so that the same
// target always gets the same link; its path, or empty when it cannot be made.
std::string utf8Link(const std::string& target, const std::string& folder);

} // namespace lnx
