#pragma once
// What of a drive source's inputs may have changed since it last looked, so that an idle poll reads
// nothing else. The kernel's mount table says so itself (poll(2) reports POLLPRI after a change);
// udev's database folder and the block-device folder are watched through inotify. udev rewrites a
// device's file whenever the kernel tells it of the device (added, removed, a medium or a loop device's
// file changed), which makes its folder the news of every device event; sysfs itself tells nothing.
// Whatever cannot be watched counts as changed at every look: a machine without udev data is read whole
// at every poll, as before.
#include "linux/DriveSource.h"
#include "linux/OwnedFd.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lnx {

struct ChangedInputs {
    // The block-device listing and the loop devices' files: a device may have come, gone, or had a
    // disc image attached or detached.
    bool devices = false;
    bool mountTable = false;
    // Every udev file may have changed; otherwise only those of `udevDevices`.
    bool allUdevFiles = false;
    std::vector<std::pair<unsigned, unsigned>> udevDevices; // major, minor

    bool udevFileChanged(unsigned major, unsigned minor) const;
};

// The device number a udev database file is named by ("b11:0"); nothing for other names (a file being
// written under another name, a character device's "c4:1").
std::optional<std::pair<unsigned, unsigned>> udevBlockDevice(std::string_view name);

// Whether the file is on procfs: the kernel's mount table rather than a copy of one.
bool onProcFs(const std::string& path);

class DriveChanges {
  public:
    explicit DriveChanges(const DriveSourceConfig& config);

    // What may have changed since the last call; the first call says everything. `drives` are the
    // drives as last read: a notice about an optical drive's own udev file is a change of that file
    // only, whereas one about any other device (or the removal of a drive's file) is a device event.
    ChangedInputs take(const std::vector<CdDrive>& drives);

  private:
    // Watches the folders not watched yet; true when one was added (what it holds is news).
    bool watchFolders();
    void takeNotices(const std::vector<CdDrive>& drives, ChangedInputs& changes);

    std::string m_udevData;
    std::string m_sysBlock;
    OwnedFd m_inotify;
    int m_udevWatch = -1;
    int m_blockWatch = -1;
    OwnedFd m_mountTable; // the kernel's table, open for poll(2); closed for a plain file
    bool m_first = true;
};

} // namespace lnx
