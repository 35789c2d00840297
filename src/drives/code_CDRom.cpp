#include "drives/code_CDRom.h"

#include "app/Text.h"

namespace app::code_CDRom {
namespace {
constexpr int kDriveTypeCdRom = 4;
}

std::string GetVolumeName(port::IVolumes& volumes, const std::string& drivePath) {
    return cutAtNul(volumes.volumeLabel(drivePath));
}

std::vector<std::string> GetCDRomDrives(port::IScriptHost& host) {
    std::vector<std::string> letters;
    auto fso = host.createFileSystemObject();
    if (!fso)
        return letters;
    // A collection that cannot be read holds no drive the program could show.
    const auto drives = (*fso)->Drives();
    if (!drives)
        return letters;
    for (const port::DriveEntry& drive : *drives)
        if (drive.DriveType == kDriveTypeCdRom)
            letters.push_back(drive.DriveLetter);
    return letters;
}

} // namespace app::code_CDRom
