#pragma once
// Mounting a disc as the desktop does, without privileges of our own: UDisks2 mounts it for the user
// (under /media or /run/media), asking the user through the desktop's policy agent when its rules say so.
#include "port/Result.h"

#include <QDBusConnection>
#include <string>

namespace qtui {

// Mounts the file system on the block device `device` ("/dev/sr0") through the UDisks2 service on `bus`
// (the system bus). A device mounted already is a success. The failure's text is the reason, for the
// user.
port::Result<void> mountWithUDisks(const QDBusConnection& bus, const std::string& device);

// Takes the medium out of `device` through UDisks2 on `bus`: its file system unmounted when mounted,
// then the drive ejected, or the loop device of a disc `image` deleted. The failure's text is the whole
// message for the user.
port::Result<void> ejectWithUDisks(const QDBusConnection& bus, const std::string& device, bool image);

// Attaches the disc image in `file` read-only as a loop device through UDisks2 on `bus` and mounts its
// file system: the mount point. The failure's text is the whole message for the user.
port::Result<std::string> openImageWithUDisks(const QDBusConnection& bus, const std::string& file);

} // namespace qtui
