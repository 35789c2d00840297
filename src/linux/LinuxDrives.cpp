#include "linux/LinuxDrives.h"

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
    port::Disc disc{m_source.label(letter), m_source.mountPoint(letter).value_or(std::string())};
    m_source.endPoll();
    return disc;
}

port::Result<void> LinuxDrives::mount(char) {
    return port::fail("このディスクをマウントできませんでした。");
}

} // namespace lnx
