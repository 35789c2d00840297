#pragma once
#include "port/Volumes.h"

namespace win {

class Win32Volumes : public port::IVolumes {
  public:
    std::string volumeLabel(const std::string& drivePath) override;
    // Each label query is the system's own single read of the drive: a poll has nothing to share.
    void beginPoll() override {}
    void endPoll() override {}
};

} // namespace win
