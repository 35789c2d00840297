#pragma once
#include "port/Result.h"

#include <string>

namespace port {

class ISpecialFolders {
  public:
    virtual ~ISpecialFolders() = default;
    // The user's Start-menu folder (Linux: the per-user application launcher folder); a failure when
    // it cannot be determined. May or may not end in the separator.
    virtual Result<std::string> startMenu() = 0;
};

} // namespace port
