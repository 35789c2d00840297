#pragma once
// The machine's CD-ROM drives as the program sees them on Linux: the sr* block devices of SCSI type 5
// in kernel-name order, lettered D:, E:, F:, ..., then the disc images attached as loop devices (an ISO
// 9660 or UDF file system in the backing file) in loop-number order, so that images coming and going
// never move an optical drive's letter. A drive's files are those of its mounted medium.
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
    std::string kernelName; // "sr0", or "loop3" for a disc image
    unsigned major = 0;
    unsigned minor = 0;
    std::string imageFile; // a disc image attached as a loop device: its file; empty for a drive
    bool operator==(const CdDrive&) const = default;
};

// The medium in a drive as the system describes it.
struct Medium {
    std::string label;                     // UTF-8
    std::optional<std::string> mountPoint; // the folder of its files, when mounted
    // Not mounted, but udev found a file system on it: mounting it gives its files.
    bool mountable = false;
};

// Undoes udev's "\xHH" escapes of a property value (ID_FS_LABEL_ENC); other text is kept as written.
std::string decodeUdevEscapes(std::string_view value);

// A view of the machine's CD-ROM drives. Copies share one view: what it read last, and the poll in
// progress (see beginPoll).
class DriveSource {
  public:
    DriveSource() : DriveSource(DriveSourceConfig{}) {}
    explicit DriveSource(DriveSourceConfig config);

    // Every CD-ROM drive, lettered in kernel-name order (sr0, sr1, ..., sr10), then every disc image,
    // at most up to Z:.
    std::vector<CdDrive> drives() const;
    // The drive with that letter (either case), if it is a CD-ROM drive.
    std::optional<CdDrive> drive(char letter) const;
    // The folder the drive's medium is mounted on; nothing when the drive is unknown or not mounted.
    std::optional<std::string> mountPoint(char letter) const;
    // The medium in the drive: its label, its mount point, and whether it could be mounted. Only a
    // mounted medium, or one with a file system udev has probed, has a label; the label of an unmounted
    // one is udev's alone, as the device of an unmounted drive is never opened (an idle poll must not
    // spin a drive up).
    Medium medium(char letter) const;
    // The medium's volume label, UTF-8; empty when the drive is unknown or empty, or its medium has no
    // label (see medium).
    std::string label(char letter) const { return medium(letter).label; }

    // Between beginPoll and endPoll (nested pairs count once) the machine is looked at once, at the
    // outermost beginPoll, and that serves every question; outside a poll each question looks anew. A
    // look reads only what may have changed since the last one (see DriveChanges): the sysfs listing
    // after a device event, a drive's udev file after it changed, the kernel's mount table after it
    // said so.
    void beginPoll() const;
    void endPoll() const;

    const DriveSourceConfig& config() const;

  private:
    struct State;
    std::shared_ptr<State> m_state;
};

} // namespace lnx
