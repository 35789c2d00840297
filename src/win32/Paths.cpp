// Windows path conventions: "\" is written, "/" is accepted as well.
#include "port/Paths.h"

namespace port {

char pathSeparator() {
    return '\\';
}

bool isPathSeparator(char c) {
    return c == '\\' || c == '/';
}

bool isAbsolutePath(std::string_view path) {
    bool drive = path.size() >= 3 && path[1] == ':' && isPathSeparator(path[2]) &&
                 ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    bool unc = path.size() >= 2 && isPathSeparator(path[0]) && isPathSeparator(path[1]);
    return drive || unc;
}

} // namespace port

namespace port {

// Windows refuses control characters and \ / : * ? " < > | in a file name.
bool isForbiddenInFileName(char c) {
    return static_cast<unsigned char>(c) < 0x20 ||
           std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
}

} // namespace port
