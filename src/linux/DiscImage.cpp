#include "linux/DiscImage.h"

#include "linux/OwnedFd.h"

#include <array>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace lnx {

bool holdsDiscFileSystem(const std::string& path) {
    constexpr off_t kFirstDescriptor = 16 * 2048;
    constexpr std::array<std::string_view, 5> kIdentifiers{"CD001", "BEA01", "NSR02", "NSR03", "TEA01"};
    // O_NONBLOCK: a fifo named as an image must not hold the start up.
    const OwnedFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    for (int sector = 0; sector < 3; ++sector) {
        char identifier[5];
        if (::pread(fd.get(), identifier, sizeof identifier, kFirstDescriptor + sector * 2048 + 1) !=
            static_cast<ssize_t>(sizeof identifier))
            return false;
        for (const std::string_view known : kIdentifiers)
            if (std::memcmp(identifier, known.data(), known.size()) == 0)
                return true;
    }
    return false;
}

} // namespace lnx
