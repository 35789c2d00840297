#include "linux/ShortcutEntry.h"

#include "app/Text.h"
#include "linux/WindowsCommandLine.h"

#include <filesystem>

namespace lnx {

namespace {

namespace fs = std::filesystem;

bool hasDriveLetter(std::string_view p) {
    return p.size() >= 2 && p[1] == ':' && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'));
}

bool hasSeparator(std::string_view p) {
    return p.find_first_of("/\\") != std::string_view::npos;
}

// "file,3" or "file,-2" names an icon inside the file; the file alone is what a Desktop Entry can use.
std::string_view iconFile(std::string_view location) {
    const auto comma = location.rfind(',');
    if (comma == std::string_view::npos)
        return location;
    std::string_view index = location.substr(comma + 1);
    while (!index.empty() && index.front() == ' ')
        index.remove_prefix(1);
    if (!index.empty() && index.front() == '-')
        index.remove_prefix(1);
    if (index.empty())
        return location;
    for (char c : index) {
        if (c < '0' || c > '9')
            return location;
    }
    return location.substr(0, comma);
}

} // namespace

bool isWindowsProgram(std::string_view path) {
    const std::string upper = app::upperAscii(path.substr(path.size() < 4 ? 0 : path.size() - 4));
    return upper == ".EXE" || upper == ".COM" || upper == ".BAT";
}

DesktopEntry shortcutEntry(const std::string& name, const port::Shortcut& shortcut,
                           const PathResolver& resolve, const IconConverter& convertIcon) {
    DesktopEntry entry;
    entry.name = name;
    if (!shortcut.folder.empty())
        entry.path = resolve(shortcut.folder);

    // A bare name ("explorer") is a program looked up on PATH; a relative path is taken from the
    // working folder, where the program starts.
    const std::string& target = shortcut.program;
    std::string program = target;
    if (hasDriveLetter(target) || (!target.empty() && (target[0] == '/' || target[0] == '\\'))) {
        program = resolve(target);
    } else if (hasSeparator(target)) {
        const bool joined = entry.path.empty() || entry.path.back() == '/';
        program = resolve(entry.path + (joined ? "" : "/") + target);
    }
    if (isWindowsProgram(program))
        entry.exec.push_back("wine");
    entry.exec.push_back(program);
    for (auto& arg : splitWindowsCommandLine(shortcut.arguments))
        entry.exec.push_back(std::move(arg));

    // An icon inside a program file, or an .ico file, means nothing to a desktop: it gets an image.
    if (convertIcon && !shortcut.icon.empty()) {
        if (std::string image = convertIcon(shortcut.icon); !image.empty()) {
            entry.icon = std::move(image);
            return entry;
        }
    }
    const std::string_view icon = iconFile(shortcut.icon);
    if (!icon.empty()) {
        std::string resolved = resolve(icon);
        std::error_code ec;
        if (fs::is_regular_file(resolved, ec))
            entry.icon = std::move(resolved);
    }
    return entry;
}

} // namespace lnx
