#pragma once
#include <string>

namespace port {

class IVolumes {
  public:
    virtual ~IVolumes() = default;
    // The volume label of the medium in a drive ("E:"), UTF-8; empty when the drive is empty, not
    // ready or unreadable. Asks the drive anew on every call.
    virtual std::string volumeLabel(const std::string& drivePath) = 0;
};

} // namespace port
