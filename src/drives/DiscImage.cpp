#include "drives/DiscImage.h"

#include <array>

namespace drives {

bool namesDiscFileSystem(std::string_view identifier) {
    constexpr std::array<std::string_view, 5> kIdentifiers{"CD001", "BEA01", "NSR02", "NSR03", "TEA01"};
    for (const std::string_view known : kIdentifiers)
        if (identifier == known)
            return true;
    return false;
}

} // namespace drives
