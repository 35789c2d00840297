#pragma once
// The machine's CD-ROM drives on Linux as the drive records see them: the drives a DriveSource finds,
// and a disc's files under the mount point of its medium.
#include "linux/DriveSource.h"
#include "port/Drives.h"

namespace lnx {

class LinuxDrives : public port::IDrives {
  public:
    explicit LinuxDrives(DriveSource source) : m_source(std::move(source)) {}

    // Never a failure: a machine whose drives cannot be listed has none.
    port::Result<std::vector<char>> cdromLetters() override;
    // Only a mounted medium has a label and a root.
    port::Disc disc(char letter) override;
    port::Result<void> mount(char letter) override;
    // The poll is the drive source's: every copy of it (the disc paths, the device watch) answers from
    // the same reads.
    void beginPoll() override { m_source.beginPoll(); }
    void endPoll() override { m_source.endPoll(); }

  private:
    DriveSource m_source;
};

} // namespace lnx
