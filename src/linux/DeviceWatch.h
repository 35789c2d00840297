#pragma once
// What tells the Linux build that a disc came or went between polls: the kernel's mount table (poll(2)
// reports its changes as POLLPRI on /proc/self/mountinfo; a table kept in a plain file, as on a
// simulated machine, is watched through its folder instead) and udev's database files of the CD-ROM
// drives, which udev rewrites on a media change (watched through inotify on their folder).
#include "linux/DriveSource.h"
#include "linux/OwnedFd.h"

#include <string>
#include <string_view>
#include <vector>

namespace lnx {

class DeviceWatch {
  public:
    // Watches what `drives` reads. Whatever cannot be watched is left out: the poll still sees it.
    explicit DeviceWatch(DriveSource drives);

    // A descriptor that poll(2) reports with POLLPRI when the mount table changed (it is always
    // readable: wait for POLLPRI alone); -1 when the table is not the kernel's.
    int mountTableFd() const { return m_mountTable.get(); }
    // A descriptor that turns readable with notices of the watched folders; -1 when none is watched.
    int noticeFd() const { return m_inotify.get(); }
    // Takes every pending notice; true when one concerns the mount table or a CD-ROM drive's udev file.
    bool takeNotices();

  private:
    bool isDriveUdevFile(std::string_view name, std::vector<std::string>& driveFiles) const;

    DriveSource m_drives;
    OwnedFd m_mountTable;
    OwnedFd m_inotify;
    int m_mountFolderWatch = -1;
    std::string m_mountTableName;
    int m_udevWatch = -1;
};

} // namespace lnx
