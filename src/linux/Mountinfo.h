#pragma once
// Reading /proc/self/mountinfo: which folder a block device's file system is mounted on.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lnx {

struct MountEntry {
    unsigned major = 0;
    unsigned minor = 0;
    std::string root;       // the folder of the file system that is mounted ("/" for the whole volume)
    std::string mountPoint; // unescaped
    std::string fsType;
    std::string source; // unescaped
};

// Undoes the kernel's octal escapes of a mountinfo field ("\040" space, "\011" tab, "\012" newline,
// "\134" backslash; any other three-digit octal escape too). Anything else is kept as written.
std::string unescapeMountField(std::string_view field);

// Every well-formed line of a mountinfo text, in order; malformed lines are skipped.
std::vector<MountEntry> parseMountinfo(std::string_view text);

// Where the whole volume of device major:minor is mounted: the first entry of that device whose root
// is "/". A bind mount of a sub-folder alone does not expose the volume's root, so it does not count.
std::optional<std::string> findMountPoint(const std::vector<MountEntry>& entries, unsigned major,
                                          unsigned minor);

} // namespace lnx
