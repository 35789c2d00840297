#pragma once
// Icons inside program files and libraries (PE: .exe, .dll; and the 16-bit NE programs of Windows 3.x
// setup disks), read from their resources the way Windows chooses the large icon, for the Linux build that
// has no ExtractIconEx.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lnx {

// What one call read from the file, to show that a call reads only what it needs.
struct PeIconStats {
    std::uint64_t bytesRead = 0;
    int reads = 0;
};

// A complete single-image .ico file (ICONDIR, one ICONDIRENTRY, then the image exactly as the RT_ICON
// resource stores it: a DIB or a PNG) for the icon at index in the PE or NE file at path. The entry
// gives the image's size and depth as the image's own header gives them, whatever the group claims.
// index >= 0 counts the icon groups (RT_GROUP_ICON) in the order the resource directory stores them,
// 0 for the first; a negative index names the group whose resource id is -index.
// From the group the image chosen is the one Windows takes for an icon of wantedSize pixels: that size
// exactly, with the most colours; else the nearest larger size; else the largest smaller one.
// Nothing when the file is neither, has no such group, or anything on the way is damaged.
// Reads only the headers, the directory entries it walks, the group, the first bytes of each image the
// group names and the one image chosen.
std::optional<std::vector<unsigned char>> extractPeIcon(const std::string& path, int index,
                                                        int wantedSize = 32, PeIconStats* stats = nullptr);

// The number of icon groups in the PE or NE file at path; 0 when it has none or is not readable.
int countPeIconGroups(const std::string& path, PeIconStats* stats = nullptr);

// An image larger than this is refused: real icons are far smaller, and a hostile size must not make
// the reader allocate or read without end.
inline constexpr std::uint32_t kMaxPeIconImageBytes = 4u * 1024u * 1024u;

// The entries of a group that are considered, each costing a few small reads: a group of every size
// Windows draws (16 to 256) in three depths holds about 24, and a hostile one may claim 65535.
inline constexpr std::uint32_t kMaxPeIconGroupEntries = 32;

} // namespace lnx
