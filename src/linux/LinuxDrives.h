#pragma once
// The machine's CD-ROM drives on Linux as the drive records see them: the drives a DriveSource finds,
// and a disc's files under the mount point of its medium.
#include "linux/DriveSource.h"
#include "port/Drives.h"

#include <functional>

namespace lnx {

// What the system does with discs for the user, the way the desktop does it; each failure's text is
// for the user.
struct DiscActions {
    // Mounts the file system on a block device ("/dev/sr0"); the failure's text is the reason.
    std::function<port::Result<void>(const std::string& device)> mount;
    // Lets go of a block device's medium: unmounted, then the drive's tray opened, or, for a disc
    // image, the loop device detached; the failure's text is the whole message.
    std::function<port::Result<void>(const std::string& device, bool image)> eject;
    // Attaches the disc image in `file` read-only and mounts it: the mount point, or the whole message.
    std::function<port::Result<std::string>(const std::string& file)> openImage;
};

class LinuxDrives : public port::IDrives {
  public:
    // Without an action the system is not asked: no disc is ever mounted, ejected or attached here.
    explicit LinuxDrives(DriveSource source, DiscActions actions = {})
        : m_source(std::move(source)), m_actions(std::move(actions)) {}

    // Never a failure: a machine whose drives cannot be listed has none.
    port::Result<std::vector<char>> cdromLetters() override;
    // Only a mounted medium has a root; one with a file system udev knows has its label before that.
    port::Disc disc(char letter) override;
    // Mounts the drive's medium through the mounter; a medium mounted meanwhile is a success.
    port::Result<void> mount(char letter) override;
    port::Result<void> eject(char letter) override;
    // A file is an image when it holds an ISO 9660 or UDF file system; one attached already (as any
    // loop device of the same file) is mounted if need be, never attached twice.
    port::Result<std::string, port::ImageRefusal> openImage(const std::string& path) override;
    // The poll is the drive source's: every copy of it (the disc paths, the device watch) answers from
    // the same reads.
    void beginPoll() override { m_source.beginPoll(); }
    void endPoll() override { m_source.endPoll(); }

  private:
    DriveSource m_source;
    DiscActions m_actions;
};

} // namespace lnx
