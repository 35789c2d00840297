#pragma once
// The machine's CD-ROM drives and the labels of their discs.
#include "port/Services.h"

#include <string>
#include <vector>

namespace app::code_CDRom {

// The volume label of the disc in a drive ("E:"), or "" when the drive is empty, not ready or
// unreadable. Asks the drive anew on every call.
std::string GetVolumeName(port::IVolumes& volumes, const std::string& drivePath);
// One poll of the drives, from construction to destruction (see IVolumes::beginPoll).
class PollScope {
  public:
    explicit PollScope(port::IVolumes& volumes) : m_volumes(volumes) { m_volumes.beginPoll(); }
    ~PollScope() { m_volumes.endPoll(); }
    PollScope(const PollScope&) = delete;
    PollScope& operator=(const PollScope&) = delete;

  private:
    port::IVolumes& m_volumes;
};

// The letters (without colon) of all CD-ROM drives; empty when there are none or the scripting
// file-system object cannot be created.
std::vector<std::string> GetCDRomDrives(port::IScriptHost& host);

} // namespace app::code_CDRom
