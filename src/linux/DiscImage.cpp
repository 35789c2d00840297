#include "linux/DiscImage.h"

#include "drives/DiscImage.h"
#include "linux/OwnedFd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lnx {

bool holdsDiscFileSystem(const std::string& path) {
    // O_NONBLOCK: a fifo named as an image must not hold the start up.
    const OwnedFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    for (int sector = 0; sector < drives::kVolumeDescriptorsRead; ++sector) {
        char identifier[5];
        const off_t at = drives::kFirstVolumeDescriptor + sector * drives::kDiscSector + 1;
        if (::pread(fd.get(), identifier, sizeof identifier, at) != static_cast<ssize_t>(sizeof identifier))
            return false;
        if (drives::namesDiscFileSystem({identifier, sizeof identifier}))
            return true;
    }
    return false;
}

} // namespace lnx
