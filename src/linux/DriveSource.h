#pragma once
// The machine's CD-ROM drives as the program sees them on Linux: the sr* block devices of SCSI type 5
// in kernel-name order, lettered D:, E:, F:, ... A drive's files are those of its mounted medium.
#include "linux/Mountinfo.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lnx {

// Where the drive data is read from; tests point these at fake trees.
struct DriveSourceConfig {
    std::string sysBlock = "/sys/class/block";
    std::string udevData = "/run/udev/data";
    std::string mountinfo = "/proc/self/mountinfo";
    std::string devDir = "/dev";
};

struct CdDrive {
    char letter = 0;        // 'D' and up
    std::string kernelName; // "sr0"
    unsigned major = 0;
    unsigned minor = 0;
};

// Undoes udev's "\xHH" escapes of a property value (ID_FS_LABEL_ENC); other text is kept as written.
std::string decodeUdevEscapes(std::string_view value);

class DriveSource {
  public:
    DriveSource() = default;
    explicit DriveSource(DriveSourceConfig config) : m_config(std::move(config)) {}

    // Every CD-ROM drive, lettered in kernel-name order (sr0, sr1, ..., sr10), at most up to Z:.
    std::vector<CdDrive> drives() const;
    // The drive with that letter (either case), if it is a CD-ROM drive.
    std::optional<CdDrive> drive(char letter) const;
    // The folder the drive's medium is mounted on; nothing when the drive is unknown or not mounted.
    std::optional<std::string> mountPoint(char letter) const;
    // The medium's volume label, UTF-8; empty when the drive is unknown, empty or its medium is not
    // mounted (only a mounted medium has files on Linux). Never opens the device of an unmounted drive,
    // so an idle poll does not spin a drive up.
    std::string label(char letter) const;

    const DriveSourceConfig& config() const { return m_config; }

  private:
    std::optional<std::string> udevLabel(const CdDrive& drive) const;
    std::string deviceLabel(const CdDrive& drive) const;

    DriveSourceConfig m_config;
    // What sysfs said of each sr* device, by kernel name: a device's type and number do not change
    // while its name stays, so a poll that finds the same names reads no device file again.
    struct Known {
        std::vector<std::string> names;
        std::vector<CdDrive> drives;
    };
    mutable std::shared_ptr<Known> m_known;
    // The mount table as last parsed: it is read at every query, but parsed again only when it changed.
    struct Mounts {
        std::string text;
        std::vector<MountEntry> entries;
    };
    mutable std::shared_ptr<const Mounts> m_mounts;
    std::optional<std::string> mountOf(const CdDrive& drive) const;
};

} // namespace lnx
