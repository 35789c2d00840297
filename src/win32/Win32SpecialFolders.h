#pragma once
#include "port/SpecialFolders.h"

namespace win {

class Win32SpecialFolders : public port::ISpecialFolders {
  public:
    port::Result<std::string> startMenu() override;
};

} // namespace win
