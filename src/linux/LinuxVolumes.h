#pragma once
// Volume labels of the CD-ROM drives on Linux.
#include "linux/DriveSource.h"
#include "port/Volumes.h"

namespace lnx {

class LinuxVolumes : public port::IVolumes {
  public:
    LinuxVolumes() = default;
    explicit LinuxVolumes(DriveSource source) : m_source(std::move(source)) {}

    // drivePath is "E:" (a trailing separator is accepted too); anything else gives the empty label.
    std::string volumeLabel(const std::string& drivePath) override;
    // The poll is the drive view's: every copy of it (the disc paths, the scripting objects) answers
    // from the same reads.
    void beginPoll() override { m_source.beginPoll(); }
    void endPoll() override { m_source.endPoll(); }

  private:
    DriveSource m_source;
};

} // namespace lnx
