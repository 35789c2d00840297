#pragma once
// The machine's CD-ROM drives by their drive type, and the disc in each by its volume label.
#include "port/Drives.h"

namespace win {

class Win32Drives : public port::IDrives {
  public:
    port::Result<std::vector<char>> cdromLetters() override;
    port::Disc disc(char letter) override;
    // Windows itself makes every disc's files reachable: no disc is ever mountable, so this is never asked.
    port::Result<void> mount(char letter) override;
    // The system's own eject: the volume locked (refused while a file on it is open) and let go of,
    // then the medium ejected; a mounted image is detached by the same request.
    port::Result<void> eject(char letter) override;
    // An ISO 9660 or UDF image is handed to the shell to mount; its new drive's root is the answer, once
    // the volume can be read. The launch waits for it, as a mount on Linux does, so that a command-line
    // start ends with its launch. A system without the shell's mount (before Windows 8, Wine) says so.
    port::Result<std::string, port::ImageRefusal> openImage(const std::string& path) override;
    // Each label query is the system's own single read of the drive: a poll has nothing to share.
    void beginPoll() override {}
    void endPoll() override {}
};

} // namespace win
