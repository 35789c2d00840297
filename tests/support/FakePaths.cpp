// The unit tests run the portable code with the Windows path conventions.
#include "port/Paths.h"

namespace port {
char pathSeparator() {
    return '\\';
}
bool isPathSeparator(char c) {
    return c == '\\' || c == '/';
}
bool isAbsolutePath(std::string_view p) {
    return (p.size() >= 3 && p[1] == ':' && isPathSeparator(p[2])) ||
           (p.size() >= 2 && p[0] == '\\' && p[1] == '\\');
}
} // namespace port

namespace port {
bool isForbiddenInFileName(char c) {
    return static_cast<unsigned char>(c) < 0x20 ||
           std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
}
} // namespace port
