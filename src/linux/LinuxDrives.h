#pragma once
// The machine's CD-ROM drives on Linux as the drive records see them: the drives a DriveSource finds,
// and a disc's files under the mount point of its medium.
#include "linux/DriveSource.h"
#include "port/Drives.h"

#include <functional>

namespace lnx {

// Mounts the file system on a block device ("/dev/sr0") for the user, the way the desktop does; the
// failure's text is the reason, for the user.
using Mounter = std::function<port::Result<void>(const std::string& device)>;
// Lets go of a block device's medium for the user: unmounted, then the drive's tray opened, or, for a
// disc image, the loop device detached; the failure's text is the whole message for the user.
using Ejector = std::function<port::Result<void>(const std::string& device, bool image)>;

class LinuxDrives : public port::IDrives {
  public:
    // Without a mounter no disc is ever mounted here.
    explicit LinuxDrives(DriveSource source, Mounter mounter = {}, Ejector ejector = {})
        : m_source(std::move(source)), m_mounter(std::move(mounter)), m_ejector(std::move(ejector)) {}

    // Never a failure: a machine whose drives cannot be listed has none.
    port::Result<std::vector<char>> cdromLetters() override;
    // Only a mounted medium has a root; one with a file system udev knows has its label before that.
    port::Disc disc(char letter) override;
    // Mounts the drive's medium through the mounter; a medium mounted meanwhile is a success.
    port::Result<void> mount(char letter) override;
    port::Result<void> eject(char letter) override;
    // The poll is the drive source's: every copy of it (the disc paths, the device watch) answers from
    // the same reads.
    void beginPoll() override { m_source.beginPoll(); }
    void endPoll() override { m_source.endPoll(); }

  private:
    DriveSource m_source;
    Mounter m_mounter;
    Ejector m_ejector;
};

} // namespace lnx
