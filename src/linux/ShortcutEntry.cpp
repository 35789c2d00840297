#include "linux/ShortcutEntry.h"

#include "app/Text.h"
#include "linux/Spawn.h"
#include "linux/WindowsCommandLine.h"

#include <filesystem>
#include <fstream>
#include <optional>

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

bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The web address (or other address with a scheme: "mailto:", "file:") a program line names, if it names
// one: the name after the disc's folder, which the program line's shortcut puts in front of it, or
// the bare name. A scheme has two characters at least, so that a drive letter is none.
std::optional<std::string> addressOf(const port::Shortcut& shortcut) {
    std::string_view name = shortcut.program;
    if (!shortcut.folder.empty() && name.substr(0, shortcut.folder.size()) == shortcut.folder)
        name.remove_prefix(shortcut.folder.size());
    const auto colon = name.find(':');
    if (colon == std::string_view::npos || colon < 2 || colon + 1 == name.size() || !isAsciiLetter(name[0]))
        return std::nullopt;
    for (char c : name.substr(0, colon))
        if (!isAsciiLetter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.')
            return std::nullopt;
    return std::string(name);
}

// True for a file that starts as a program does: compiled (ELF) or a script naming its interpreter.
// The permission alone does not tell: without Rock Ridge every file of a disc may be executed.
bool startsAsProgram(const std::string& path) {
    char head[4] = {};
    std::ifstream file(path, std::ios::binary);
    file.read(head, sizeof head);
    const std::string_view read(head, std::size_t(file.gcount()));
    return read.substr(0, 2) == "#!" || read == "\177ELF";
}

// A folder, or a file that is there and is no program: what the desktop opens rather than runs. A file
// that is not there stays a program, which the launch reports missing.
bool opensAsDocument(const std::string& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    return fs::is_directory(status) || (fs::is_regular_file(status) && !startsAsProgram(path));
}

} // namespace

std::vector<std::string> desktopOpener() {
    if (findOnPath("xdg-open").empty() && !findOnPath("gio").empty())
        return {"gio", "open"};
    return {"xdg-open"};
}

std::size_t fileArgument(const std::vector<std::string>& exec) {
    if (exec.empty())
        return 0;
    if (exec.front() == "wine" || exec.front() == "xdg-open")
        return 1;
    return exec.front() == "gio" && exec.size() > 1 && exec[1] == "open" ? 2 : 0;
}

bool isWindowsProgram(std::string_view path) {
    const std::string upper = app::upperAscii(path.substr(path.size() < 4 ? 0 : path.size() - 4));
    return upper == ".EXE" || upper == ".COM" || upper == ".BAT";
}

DesktopEntry shortcutEntry(const std::string& name, const port::Shortcut& shortcut,
                           const PathResolver& resolve, const IconConverter& convertIcon,
                           const WinePath& winePath) {
    DesktopEntry entry;
    entry.name = name;
    if (!shortcut.folder.empty())
        entry.path = resolve(shortcut.folder);

    // A bare name ("explorer") is a program looked up on PATH; a relative path is taken from the
    // working folder, where the program starts.
    const std::string& target = shortcut.program;
    std::string program = target;
    const std::optional<std::string> address = addressOf(shortcut);
    if (address) {
        program = *address;
    } else if (hasDriveLetter(target) || (!target.empty() && (target[0] == '/' || target[0] == '\\'))) {
        program = resolve(target);
    } else if (hasSeparator(target)) {
        const bool joined = entry.path.empty() || entry.path.back() == '/';
        program = resolve(entry.path + (joined ? "" : "/") + target);
    }
    if (address || (!isWindowsProgram(program) && opensAsDocument(program))) {
        // The desktop opens it with the application chosen for its type, which takes no arguments of ours.
        entry.exec = desktopOpener();
        entry.exec.push_back(std::move(program));
    } else {
        if (isWindowsProgram(program)) {
            entry.exec.push_back("wine");
            // A program that is not there keeps this machine's path, for the launch to report missing.
            std::error_code ec;
            if (winePath && fs::is_regular_file(program, ec)) {
                if (auto onDrive = winePath(program))
                    program = std::move(*onDrive);
            }
        }
        entry.exec.push_back(std::move(program));
        for (auto& arg : splitWindowsCommandLine(shortcut.arguments))
            entry.exec.push_back(std::move(arg));
    }

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
