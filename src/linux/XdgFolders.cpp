#include "linux/XdgFolders.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace lnx {

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return home;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir && found->pw_dir[0] == '/')
        return found->pw_dir;
    return {};
}

std::string xdgFolder(const char* variable, std::string_view fallbackUnderHome) {
    const char* value = std::getenv(variable);
    if (value && value[0] == '/')
        return value;
    const std::string home = homeFolder();
    if (home.empty())
        return {};
    return (home.back() == '/' ? home : home + "/") + std::string(fallbackUnderHome);
}

} // namespace lnx
