// Linux path conventions: "/" alone separates; a backslash is an ordinary file-name character.
#include "port/Paths.h"

#include <climits>
#include <string>
#include <unistd.h>

namespace port {

char pathSeparator() {
    return '/';
}
bool isPathSeparator(char c) {
    return c == '/';
}
bool isAbsolutePath(std::string_view path) {
    return !path.empty() && path.front() == '/';
}

} // namespace port

namespace port {

bool fileNameFits(std::string_view folder, std::string_view name) {
    // The folder's file system decides; where it cannot be asked, the common limit of 255 bytes.
    const long limit = ::pathconf(std::string(folder.empty() ? "." : folder).c_str(), _PC_NAME_MAX);
    const std::size_t maxName = limit > 0 ? static_cast<std::size_t>(limit) : 255;
    return name.size() <= maxName && folder.size() + name.size() < PATH_MAX;
}

// Only "/" and NUL cannot stand in a Linux file name.
bool isForbiddenInFileName(char c) {
    return c == '/' || c == '\0';
}

} // namespace port
