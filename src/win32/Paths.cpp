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

namespace {

// UTF-16 code units of UTF-8 text: one for each character, two for one outside the basic plane.
std::size_t utf16Units(std::string_view text) {
    std::size_t units = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80)
            units += byte >= 0xF0 ? 2 : 1;
    }
    return units;
}

// A name takes at most 255 units, a whole path at most 259 (MAX_PATH without its NUL).
constexpr std::size_t kMaxName = 255;
constexpr std::size_t kMaxPath = 259;

} // namespace

bool fileNameFits(std::string_view folder, std::string_view name) {
    const std::size_t units = utf16Units(name);
    return units <= kMaxName && utf16Units(folder) + units <= kMaxPath;
}

// Windows refuses control characters and \ / : * ? " < > | in a file name.
bool isForbiddenInFileName(char c) {
    return static_cast<unsigned char>(c) < 0x20 ||
           std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
}

} // namespace port
