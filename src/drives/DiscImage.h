#pragma once
// Where a disc's file system says what it is: the volume descriptors after the 32 KiB system area, one
// a sector. Each platform reads those bytes its own way; what they mean is the same everywhere.
#include <cstdint>
#include <string_view>

namespace drives {

inline constexpr std::int64_t kFirstVolumeDescriptor = 16 * 2048;
inline constexpr std::int64_t kDiscSector = 2048;
// Only the first few: an ISO 9660 disc's primary descriptor comes first, UDF's descriptors within three.
inline constexpr int kVolumeDescriptorsRead = 3;

// True when a descriptor's identifier (its bytes 1 to 5) is ISO 9660's ("CD001") or UDF's ("BEA01",
// "NSR02", "NSR03", "TEA01").
bool namesDiscFileSystem(std::string_view identifier);

} // namespace drives
