#include "linux/DeviceWatch.h"

#include "linux/DriveChanges.h"
#include "linux/InotifyEvents.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <string_view>
#include <sys/inotify.h>

namespace lnx {
namespace {

// A file is replaced whole (written, or renamed into place) or removed; a half-written one is no news.
constexpr std::uint32_t kFileChanged = IN_CLOSE_WRITE | IN_MOVED_TO | IN_DELETE;

} // namespace

DeviceWatch::DeviceWatch(DriveSource drives) : m_drives(std::move(drives)) {
    const DriveSourceConfig& config = m_drives.config();
    m_inotify = OwnedFd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (onProcFs(config.mountinfo)) {
        m_mountTable = OwnedFd(::open(config.mountinfo.c_str(), O_RDONLY | O_CLOEXEC));
    } else if (m_inotify) {
        const auto slash = config.mountinfo.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : config.mountinfo.substr(0, slash + 1);
        m_mountTableName = config.mountinfo.substr(slash == std::string::npos ? 0 : slash + 1);
        m_mountFolderWatch = ::inotify_add_watch(m_inotify.get(), folder.c_str(), kFileChanged);
    }
    if (m_inotify)
        m_udevWatch = ::inotify_add_watch(m_inotify.get(), config.udevData.c_str(), kFileChanged);
    if (m_mountFolderWatch < 0 && m_udevWatch < 0)
        m_inotify.reset();
}

bool DeviceWatch::isDriveUdevFile(std::string_view name, std::vector<std::string>& driveFiles) const {
    // "b11:0": a block device's file, named by its device number.
    if (name.size() < 4 || name.front() != 'b')
        return false;
    // A loop device (block major 7) that udev describes anew may be a disc image attached or detached.
    if (name.starts_with("b7:"))
        return true;
    // The drives are listed once for all the notices taken together.
    if (driveFiles.empty())
        for (const CdDrive& drive : m_drives.drives())
            driveFiles.push_back("b" + std::to_string(drive.major) + ":" + std::to_string(drive.minor));
    return std::find(driveFiles.begin(), driveFiles.end(), name) != driveFiles.end();
}

bool DeviceWatch::takeNotices() {
    if (!m_inotify)
        return false;
    bool relevant = false;
    std::vector<std::string> driveFiles;
    takeInotifyEvents(m_inotify.get(), [&](const inotify_event& event, std::string_view name) {
        // Lost notices may have been about anything.
        if (event.mask & IN_Q_OVERFLOW)
            relevant = true;
        else if (event.wd == m_mountFolderWatch && name == m_mountTableName)
            relevant = true;
        else if (!relevant && event.wd == m_udevWatch && isDriveUdevFile(name, driveFiles))
            relevant = true;
    });
    return relevant;
}

} // namespace lnx
