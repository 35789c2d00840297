#include "linux/LinuxStartMenu.h"

#include "linux/LinuxFileSystem.h"
#include "linux/XdgFolders.h"

#include <filesystem>

namespace lnx {

namespace {

namespace fs = std::filesystem;

// An entry is a few hundred bytes; anything far larger is not one of ours.
constexpr std::size_t kMaxEntrySize = 1 << 20;

} // namespace

std::string LinuxStartMenu::folder() {
    const std::string data = xdgFolder("XDG_DATA_HOME", ".local/share");
    if (data.empty())
        return {};
    return (data.back() == '/' ? data : data + "/") + "applications/";
}

port::Result<std::string, port::ShortcutError> LinuxStartMenu::publish(const std::string& name,
                                                                       const port::Shortcut& shortcut,
                                                                       const port::ShortcutReview& review) {
    const std::string path = folder() + name;
    if (!isDesktopFileName(name))
        return port::ShortcutError{port::ShortcutFault::Refused, path, ""};
    if (const auto written = m_entries.write(path, shortcut, review); !written)
        return port::ShortcutError{port::ShortcutFault::NotSaved, path, written.error()};
    return path;
}

void LinuxStartMenu::withdraw(const std::string& path) {
    static_cast<void>(m_files.deleteFile(path));
}

std::vector<std::string> LinuxStartMenu::ownEntries() {
    std::vector<std::string> names;
    std::error_code ec;
    // Stepped with an error code: a folder that fails half-way ends the listing, not the program.
    for (fs::directory_iterator it(folder(), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        // "(E) " and a name that is a Desktop Entry's, which says it is the program's.
        if (name.size() < 4 || name[0] != '(' || name[2] != ')' || name[3] != ' ' || name[1] < 'A' ||
            name[1] > 'Z' || !isDesktopFileName(name.substr(3)))
            continue;
        const auto text = readRegularFile(it->path().string(), kMaxEntrySize);
        const auto entry = text ? readDesktopEntry(*text) : std::nullopt;
        if (entry && entry->ours)
            names.push_back(name);
    }
    return names;
}

} // namespace lnx
