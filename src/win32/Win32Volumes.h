#pragma once
#include "port/Volumes.h"

namespace win {

class Win32Volumes : public port::IVolumes {
  public:
    std::string volumeLabel(const std::string& drivePath) override;
};

} // namespace win
