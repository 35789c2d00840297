#include "linux/Utf8Link.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace lnx {

namespace fs = std::filesystem;

std::string utf8Link(const std::string& target, const std::string& folder) {
    // FNV-1a: the same target gives the same name in every run.
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const unsigned char c : target)
        hash = (hash ^ c) * 0x100000001b3ULL;
    char name[24];
    std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(hash));
    const fs::path link = fs::path(folder) / name;
    std::error_code ec;
    if (fs::is_symlink(link, ec) && fs::read_symlink(link, ec) == target)
        return link.string();
    fs::create_directories(folder, ec);
    // Made beside, then moved into place: a link of an earlier target is replaced whole.
    const fs::path fresh = fs::path(folder) / ("." + std::string(name) + ".new");
    fs::remove(fresh, ec);
    if (::symlink(target.c_str(), fresh.c_str()) != 0)
        return {};
    if (::rename(fresh.c_str(), link.c_str()) != 0) {
        fs::remove(fresh, ec);
        return {};
    }
    return link.string();
}

} // namespace lnx
