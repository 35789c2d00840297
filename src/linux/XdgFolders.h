#pragma once
// The per-user folders of the XDG base directory conventions.
#include <string>
#include <string_view>

namespace lnx {

// The user's home folder: $HOME when it is an absolute path, else the password database's entry;
// empty when neither gives one.
std::string homeFolder();
// $variable when it holds an absolute path (relative ones are ignored, as the conventions require),
// else home + "/" + fallback; empty without a home. No trailing separator.
std::string xdgFolder(const char* variable, std::string_view fallbackUnderHome);

} // namespace lnx
