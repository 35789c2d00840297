#pragma once
#include "port/SpecialFolders.h"

#include <string>

namespace app::code_SpecialFolder {

// The user's Start-menu folder, without a trailing NUL; empty when it cannot be determined.
std::string GetStartMenuFolder(port::ISpecialFolders& folders);

} // namespace app::code_SpecialFolder
