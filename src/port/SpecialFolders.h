#pragma once
#include <string>

namespace port {

class ISpecialFolders {
  public:
    virtual ~ISpecialFolders() = default;
    // The user's Start-menu folder (Linux: the per-user application launcher folder), or empty when it
    // cannot be determined. May or may not end in the separator.
    virtual std::string startMenu() = 0;
};

} // namespace port
