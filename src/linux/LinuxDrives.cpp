#include "linux/LinuxDrives.h"

#include "linux/DiscImage.h"
#include "linux/MountMessages.h"

#include <climits>
#include <cstdlib>

namespace lnx {

port::Result<std::vector<char>> LinuxDrives::cdromLetters() {
    std::vector<char> letters;
    for (const CdDrive& drive : m_source.drives())
        letters.push_back(drive.letter);
    return letters;
}

port::Disc LinuxDrives::disc(char letter) {
    // The label and the mount point from one reading of the drives, even outside a poll.
    m_source.beginPoll();
    Medium medium = m_source.medium(letter);
    m_source.endPoll();
    return port::Disc{std::move(medium.label), medium.mountPoint.value_or(std::string()), medium.mountable};
}

port::Result<void> LinuxDrives::mount(char letter) {
    const auto drive = m_source.drive(letter);
    if (!drive)
        return port::fail(std::string(kMountRefused) + kMountNoDevice + letter + ":");
    // The desktop may have mounted it since the last poll; the next read of the drive shows where.
    if (m_source.medium(letter).mountPoint)
        return {};
    if (!m_actions.mount)
        return port::fail(std::string(kMountRefused) + kMountNoService);
    if (auto mounted = m_actions.mount(m_source.config().devDir + "/" + drive->kernelName); !mounted)
        return port::fail(kMountRefused + mounted.error());
    return {};
}

port::Result<void> LinuxDrives::eject(char letter) {
    const auto drive = m_source.drive(letter);
    if (!drive)
        return port::fail(std::string(kEjectRefused) + kMountNoDevice + letter + ":");
    if (!m_actions.eject)
        return port::fail(std::string(kEjectRefused) + kEjectNoService);
    return m_actions.eject(m_source.config().devDir + "/" + drive->kernelName, !drive->imageFile.empty());
}

port::Result<std::string, port::ImageRefusal> LinuxDrives::openImage(const std::string& path) {
    const std::string refused = "ディスク イメージを開けませんでした。\r\n";
    if (!holdsDiscFileSystem(path))
        return port::ImageRefusal{true, ""};
    char resolved[PATH_MAX];
    const std::string file = ::realpath(path.c_str(), resolved) ? resolved : path;
    for (const CdDrive& drive : m_source.drives()) {
        if (drive.imageFile != file)
            continue;
        if (const auto mounted = m_source.mountPoint(drive.letter))
            return *mounted;
        if (auto mounted = mount(drive.letter); !mounted)
            return port::ImageRefusal{false, mounted.error()};
        if (const auto mounted = m_source.mountPoint(drive.letter))
            return *mounted;
        return port::ImageRefusal{false, refused + kMountFailed};
    }
    if (!m_actions.openImage)
        return port::ImageRefusal{false, refused + kEjectNoService};
    auto opened = m_actions.openImage(file);
    if (!opened)
        return port::ImageRefusal{false, opened.error()};
    return std::move(*opened);
}

} // namespace lnx
