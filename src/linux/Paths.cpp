// Linux path conventions: "/" alone separates; a backslash is an ordinary file-name character.
#include "port/Paths.h"

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

// Only "/" and NUL cannot stand in a Linux file name.
bool isForbiddenInFileName(char c) {
    return c == '/' || c == '\0';
}

} // namespace port
