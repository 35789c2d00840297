#include "linux/LinuxVolumes.h"

namespace lnx {

std::string LinuxVolumes::volumeLabel(const std::string& drivePath) {
    const bool wellFormed =
        drivePath.size() >= 2 && drivePath[1] == ':' &&
        (drivePath.size() == 2 || (drivePath.size() == 3 && (drivePath[2] == '\\' || drivePath[2] == '/')));
    if (!wellFormed)
        return {};
    return m_source.label(drivePath[0]);
}

} // namespace lnx
