#pragma once
// The volume label of a CD medium, read from its volume descriptors the way Windows shows it: on a UDF
// (bridge) disc the UDF logical volume identifier, else the Joliet label (16 characters at most) when
// the disc has one, else the primary label; trailing blanks removed.
#include <optional>
#include <string>

namespace lnx {

// Reads only the descriptor sectors, at most kMaxIsoDescriptors of them, from an open file or device.
// Nothing when the data carries no ISO 9660 or UDF volume descriptor. The result is UTF-8; a primary label
// that is not UTF-8 is read as CP932, as Japanese discs write it.
std::optional<std::string> readIsoLabel(int fd);

// The same for an image file (or device node), opened read-only and non-blocking.
std::optional<std::string> readIsoLabelFile(const std::string& path);

// A set of descriptors ends with a terminator; the bound stops a damaged or hostile image that has none.
inline constexpr int kMaxIsoDescriptors = 32;

} // namespace lnx
