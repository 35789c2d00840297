#include "linux/WineDrives.h"

#include "linux/DesktopEntry.h"
#include "linux/XdgFolders.h"

#include <cstdlib>
#include <filesystem>

namespace lnx {

namespace fs = std::filesystem;

std::string winePrefix() {
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix)
        return prefix[0] == '/' ? prefix : "";
    const std::string home = homeFolder();
    return home.empty() ? home : home + "/.wine";
}

std::optional<char> wineLetterFor(const std::string& prefix, const std::string& mountPoint) {
    std::error_code ec;
    if (prefix.empty() || mountPoint.empty())
        return std::nullopt;
    const fs::path wanted = fs::canonical(mountPoint, ec);
    if (ec)
        return std::nullopt;
    // Wine itself looks only at the small letters.
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        const fs::path target = fs::canonical(prefix + "/dosdevices/" + letter + ":", ec);
        if (!ec && target == wanted)
            return static_cast<char>(letter - 'a' + 'A');
    }
    return std::nullopt;
}

std::optional<std::string> wineDrivePath(const std::string& prefix, std::string_view mountPoint,
                                         std::string_view path) {
    while (mountPoint.size() > 1 && mountPoint.back() == '/')
        mountPoint.remove_suffix(1);
    if (!path.starts_with(mountPoint))
        return std::nullopt;
    std::string_view rest = path.substr(mountPoint == "/" ? 0 : mountPoint.size());
    if ((!rest.empty() && rest.front() != '/') || !isUtf8(rest) ||
        rest.find_first_of("\\:*?\"<>|") != std::string_view::npos)
        return std::nullopt;
    for (const char c : rest) {
        if (static_cast<unsigned char>(c) < 0x20)
            return std::nullopt;
    }
    const auto letter = wineLetterFor(prefix, std::string(mountPoint));
    if (!letter)
        return std::nullopt;
    std::string windows = {*letter, ':', '\\'};
    for (const char c : rest) {
        if (c != '/')
            windows += c;
        else if (windows.back() != '\\')
            windows += '\\';
    }
    return windows;
}

} // namespace lnx
