#pragma once
// The volume label of a medium read from the medium itself, for when the udev database has none: the
// label libblkid finds, which is the one udev would have stored (ID_FS_LABEL comes from the same probe).
// On an ISO 9660 disc with Joliet that is the Joliet label, continued by the primary label when that goes
// on past the Joliet label's 16 characters; on a UDF (bridge) disc, the UDF logical volume identifier.
#include <optional>
#include <string>

namespace lnx {

// From an open regular file or block device; nothing for any other kind of file (a fifo would block) or
// when no file system with a label is found. The result is UTF-8 without trailing blanks; a label that is
// not UTF-8 is read as CP932, as Japanese discs write it.
std::optional<std::string> readDeviceLabel(int fd);

// The same for an image file or device node, opened read-only and non-blocking.
std::optional<std::string> readDeviceLabelFile(const std::string& path);

} // namespace lnx
