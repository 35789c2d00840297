#include "linux/DriveChanges.h"

#include "app/Text.h"
#include "linux/InotifyEvents.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <linux/magic.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/vfs.h>

namespace lnx {
namespace {

// A file written in place ends with its close; udev renames a new file into place and deletes the
// file of a device that went.
constexpr std::uint32_t kUdevEvents = IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE;
constexpr std::uint32_t kFileGone = IN_MOVED_FROM | IN_DELETE;
constexpr std::uint32_t kFolderEvents = IN_CREATE | IN_DELETE | IN_MOVED_TO | IN_MOVED_FROM;

} // namespace

bool ChangedInputs::udevFileChanged(unsigned major, unsigned minor) const {
    return allUdevFiles ||
           std::find(udevDevices.begin(), udevDevices.end(), std::pair(major, minor)) != udevDevices.end();
}

std::optional<std::pair<unsigned, unsigned>> udevBlockDevice(std::string_view name) {
    const auto colon = name.find(':');
    if (name.size() < 4 || name.front() != 'b' || colon == std::string_view::npos)
        return std::nullopt;
    const auto major = app::parseNumber<unsigned>(name.substr(1, colon - 1));
    const auto minor = app::parseNumber<unsigned>(name.substr(colon + 1));
    if (!major || !minor)
        return std::nullopt;
    return std::pair(*major, *minor);
}

bool onProcFs(const std::string& path) {
    struct statfs info {};
    return ::statfs(path.c_str(), &info) == 0 && info.f_type == PROC_SUPER_MAGIC;
}

DriveChanges::DriveChanges(const DriveSourceConfig& config)
    : m_udevData(config.udevData), m_sysBlock(config.sysBlock),
      m_inotify(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    // The kernel reports a change of the table to each open file once: this one is the poll's own.
    if (onProcFs(config.mountinfo))
        m_mountTable = OwnedFd(::open(config.mountinfo.c_str(), O_RDONLY | O_CLOEXEC));
}

bool DriveChanges::watchFolders() {
    if (!m_inotify)
        return false;
    bool added = false;
    if (m_udevWatch < 0) {
        m_udevWatch = ::inotify_add_watch(m_inotify.get(), m_udevData.c_str(), kUdevEvents | IN_ONLYDIR);
        added = m_udevWatch >= 0;
    }
    if (m_blockWatch < 0) {
        m_blockWatch = ::inotify_add_watch(m_inotify.get(), m_sysBlock.c_str(), kFolderEvents | IN_ONLYDIR);
        added = added || m_blockWatch >= 0;
    }
    return added;
}

ChangedInputs DriveChanges::take(const std::vector<CdDrive>& drives) {
    ChangedInputs changes;
    // A folder watched only now may have changed in any way before.
    const bool everything = watchFolders() || m_first;
    m_first = false;
    takeNotices(drives, changes);
    if (everything || m_udevWatch < 0) {
        // Without udev's news a loop device's file and each drive's medium can only be read.
        changes.devices = true;
        changes.allUdevFiles = true;
    }
    if (m_mountTable) {
        pollfd table{m_mountTable.get(), POLLPRI, 0};
        changes.mountTable =
            everything || (::poll(&table, 1, 0) > 0 && (table.revents & (POLLPRI | POLLERR)));
    } else {
        // A table in a plain file tells nothing of its changes: it is read whole at every look.
        changes.mountTable = true;
    }
    return changes;
}

void DriveChanges::takeNotices(const std::vector<CdDrive>& drives, ChangedInputs& changes) {
    if (!m_inotify)
        return;
    takeInotifyEvents(m_inotify.get(), [&](const inotify_event& event, std::string_view name) {
        if (event.mask & IN_Q_OVERFLOW) {
            // Lost notices may have been about anything.
            changes.devices = changes.allUdevFiles = true;
            return;
        }
        if (event.mask & IN_IGNORED) {
            // The folder went (or was replaced): watched again, and read whole, at the next look.
            if (event.wd == m_udevWatch)
                m_udevWatch = -1;
            if (event.wd == m_blockWatch)
                m_blockWatch = -1;
            changes.devices = changes.allUdevFiles = true;
            return;
        }
        if (event.wd == m_blockWatch) {
            changes.devices = true;
            return;
        }
        const auto device = udevBlockDevice(name);
        if (event.wd != m_udevWatch || !device)
            return;
        changes.udevDevices.push_back(*device);
        // An optical drive's own file tells of its medium; any other device's news may be of a device
        // that came or went, or of a disc image attached or detached.
        const bool optical = std::any_of(drives.begin(), drives.end(), [&](const CdDrive& drive) {
            return drive.imageFile.empty() && std::pair(drive.major, drive.minor) == *device;
        });
        if (!optical || (event.mask & kFileGone))
            changes.devices = true;
    });
}

} // namespace lnx
