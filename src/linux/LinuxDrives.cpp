#include "linux/LinuxDrives.h"

#include "linux/MountMessages.h"

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
    if (!m_mounter)
        return port::fail(std::string(kMountRefused) + kMountNoService);
    if (auto mounted = m_mounter(m_source.config().devDir + "/" + drive->kernelName); !mounted)
        return port::fail(kMountRefused + mounted.error());
    return {};
}

port::Result<void> LinuxDrives::eject(char letter) {
    const auto drive = m_source.drive(letter);
    if (!drive)
        return port::fail(std::string(kEjectRefused) + kMountNoDevice + letter + ":");
    if (!m_ejector)
        return port::fail(std::string(kEjectRefused) + kEjectNoService);
    return m_ejector(m_source.config().devDir + "/" + drive->kernelName, !drive->imageFile.empty());
}

} // namespace lnx
