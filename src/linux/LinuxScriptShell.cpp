#include "linux/LinuxScriptShell.h"

#include "drives/cls_CDData.h"

#include "linux/LinuxFileSystem.h"
#include "linux/Spawn.h"
#include "linux/WindowsCommandLine.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace lnx {

namespace {

namespace fs = std::filesystem;

// A shortcut file is a few hundred bytes; anything far larger is not one of ours.
constexpr std::uintmax_t kMaxEntrySize = 1 << 20;
constexpr std::string_view kExtension = ".desktop";

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool endsWithNoCase(std::string_view text, std::string_view suffix) {
    if (text.size() < suffix.size())
        return false;
    text.remove_prefix(text.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        if (lower(text[i]) != lower(suffix[i]))
            return false;
    }
    return true;
}

bool hasDriveLetter(std::string_view p) {
    return p.size() >= 2 && p[1] == ':' && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'));
}

bool hasSeparator(std::string_view p) {
    return p.find_first_of("/\\") != std::string_view::npos;
}

std::string baseName(std::string_view path) {
    const auto cut = path.find_last_of('/');
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
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

// The system's own wording of the error, in the user's language where the C library has it.
std::string errorName(int error) {
    return std::string(" (") + std::strerror(error) + ")";
}

std::optional<std::string> readSmallFile(const std::string& path) {
    return readRegularFile(path, kMaxEntrySize);
}

} // namespace

bool isWindowsProgram(std::string_view path) {
    return endsWithNoCase(path, ".exe") || endsWithNoCase(path, ".com") || endsWithNoCase(path, ".bat");
}

DesktopEntry shortcutEntry(const std::string& name, const std::string& targetPath,
                           const std::string& arguments, const std::string& workingDirectory,
                           const std::string& iconLocation, const PathResolver& resolve,
                           const IconConverter& convertIcon) {
    DesktopEntry entry;
    entry.name = name;
    if (!workingDirectory.empty())
        entry.path = resolve(workingDirectory);

    // A bare name ("explorer") is a program looked up on PATH; a relative path is taken from the
    // working folder, where the program starts.
    std::string program = targetPath;
    if (hasDriveLetter(targetPath) ||
        (!targetPath.empty() && (targetPath[0] == '/' || targetPath[0] == '\\'))) {
        program = resolve(targetPath);
    } else if (hasSeparator(targetPath)) {
        const bool joined = entry.path.empty() || entry.path.back() == '/';
        program = resolve(entry.path + (joined ? "" : "/") + targetPath);
    }
    if (isWindowsProgram(program))
        entry.exec.push_back("wine");
    entry.exec.push_back(program);
    for (auto& arg : splitWindowsCommandLine(arguments))
        entry.exec.push_back(std::move(arg));

    // An icon inside a program file, or an .ico file, means nothing to a desktop: it gets an image.
    if (convertIcon && !iconLocation.empty()) {
        if (std::string image = convertIcon(iconLocation); !image.empty()) {
            entry.icon = std::move(image);
            return entry;
        }
    }
    const std::string_view icon = iconFile(iconLocation);
    if (!icon.empty()) {
        std::string resolved = resolve(icon);
        std::error_code ec;
        if (fs::is_regular_file(resolved, ec))
            entry.icon = std::move(resolved);
    }
    return entry;
}

std::string utf8Link(const std::string& target, const std::string& folder) {
    // FNV-1a: the same target gives the same name in every run.
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const unsigned char c : target)
        hash = (hash ^ c) * 0x100000001b3ULL;
    char name[24];
    std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(hash));
    const fs::path link = fs::path(folder) / name;
    std::error_code ec;
    if (fs::is_symlink(link, ec) && fs::read_symlink(link, ec) == target)
        return link.string();
    fs::create_directories(folder, ec);
    // Made beside, then moved into place: a link of an earlier target is replaced whole.
    const fs::path fresh = fs::path(folder) / ("." + std::string(name) + ".new");
    fs::remove(fresh, ec);
    if (::symlink(target.c_str(), fresh.c_str()) != 0)
        return {};
    if (::rename(fresh.c_str(), link.c_str()) != 0) {
        fs::remove(fresh, ec);
        return {};
    }
    return link.string();
}

void removeStaleEntries(const std::string& folder,
                        const std::function<std::string(const std::string&)>& labelOf) {
    std::error_code ec;
    for (const auto& item : fs::directory_iterator(folder, ec)) {
        const std::string name = item.path().filename().string();
        // "(E) " and at least the extension after it.
        if (name.size() < 4 + kExtension.size() || name[0] != '(' || name[2] != ')' || name[3] != ' ' ||
            name[1] < 'A' || name[1] > 'Z' || !endsWithNoCase(name, kExtension))
            continue;
        const auto text = readSmallFile(item.path().string());
        const auto entry = text ? readDesktopEntry(*text) : std::nullopt;
        if (!entry || !entry->ours)
            continue;
        const std::string drive = std::string(1, name[1]) + ":";
        if (app::shortcutNameFor(folder, name[1], labelOf(drive), std::string(kExtension)) != name)
            fs::remove(item.path(), ec);
    }
}

LinuxShortcut::LinuxShortcut(port::IFileSystem& files, std::string file, PathResolver resolve,
                             IconConverter convertIcon, LinkMaker link)
    : m_files(files), m_file(std::move(file)), m_resolve(std::move(resolve)),
      m_convertIcon(std::move(convertIcon)), m_link(std::move(link)) {}

port::Result<void> LinuxShortcut::Save() {
    std::string name = baseName(m_file);
    name.resize(name.size() - kExtension.size());
    DesktopEntry entry =
        shortcutEntry(name, m_target, m_arguments, m_workingDirectory, m_icon, m_resolve, m_convertIcon);

    // Desktops drop an entry whose values are not UTF-8 (a disc's file names may be in another
    // encoding): its paths go through links with UTF-8 names, and its name shows U+FFFD in their place.
    entry.name = toUtf8Lossy(entry.name);
    const std::size_t program = !entry.exec.empty() && entry.exec.front() == "wine" ? 1 : 0;
    for (std::string* value :
         {program < entry.exec.size() ? &entry.exec[program] : nullptr, &entry.path, &entry.icon}) {
        if (value && !isUtf8(*value) && m_link) {
            if (std::string link = m_link(*value); !link.empty())
                *value = std::move(link);
        }
    }

    bool storable = storableInValue(entry.name) && storableInValue(entry.path) &&
                    storableInValue(entry.icon) && isUtf8(entry.path) && isUtf8(entry.icon);
    for (const auto& arg : entry.exec)
        storable = storable && storableInValue(arg) && isUtf8(arg);
    if (!storable)
        return port::fail(kShortcutUnstorable);
    // The per-user launcher folder does not exist until something first writes into it.
    const std::string folder = fs::path(m_file).parent_path().string();
    if (!folder.empty() && !m_files.createDirectories(folder))
        return port::fail(kShortcutUnwritable);
    // Replaced whole, so a desktop reading the folder never sees half an entry.
    if (!m_files.replaceFile(m_file, writeDesktopEntry(entry)))
        return port::fail(kShortcutUnwritable);
    return {};
}

LinuxScriptShell::LinuxScriptShell(port::IFileSystem& files, PathResolver resolve, IconConverter convertIcon,
                                   LinkMaker link)
    : m_files(files), m_resolve(std::move(resolve)), m_convertIcon(std::move(convertIcon)),
      m_link(std::move(link)) {}

port::Result<std::unique_ptr<port::IShortcut>> LinuxScriptShell::CreateShortcut(const std::string& path) {
    const std::string name = baseName(path);
    if (name.size() <= kExtension.size() || !endsWithNoCase(name, kExtension))
        return port::fail("ショートカットは .desktop ファイルです: " + path);
    return std::make_unique<LinuxShortcut>(m_files, path, m_resolve, m_convertIcon, m_link);
}

port::Result<void> LinuxScriptShell::Run(const std::string& command) {
    std::string file = command;
    if (file.size() >= 2 && file.front() == '"' && file.back() == '"')
        file = file.substr(1, file.size() - 2);

    const auto text = readSmallFile(file);
    if (!text)
        return port::fail(kShortcutUnreadable + file);
    const auto entry = readDesktopEntry(*text);
    if (!entry || entry->exec.empty() || entry->exec.front().empty())
        return port::fail(kShortcutUnreadable + file);

    const std::string& named = entry->exec.front();
    std::string program;
    if (named.find('/') != std::string::npos) {
        std::error_code ec;
        if (!fs::exists(named, ec))
            return port::fail(kProgramNotFound + named);
        if (!isExecutableFile(named))
            return port::fail(kProgramNotExecutable + named);
        program = named;
    } else {
        program = findOnPath(named);
        if (program.empty()) {
            if (named == "wine")
                return port::fail(std::string(kWineRequired) +
                                  (entry->exec.size() > 1 ? entry->exec[1] : std::string()));
            return port::fail(kProgramNotFound + named);
        }
    }
    if (!entry->path.empty()) {
        std::error_code ec;
        if (!fs::is_directory(entry->path, ec))
            return port::fail(kFolderNotFound + entry->path);
    }

    const auto failure = spawnDetached(program, entry->exec, entry->path);
    if (!failure)
        return {};
    switch (failure->stage) {
    case SpawnFailure::Stage::WorkingFolder:
        return port::fail(kFolderNotFound + entry->path + errorName(failure->error));
    default:
        return port::fail(kProgramNotExecutable + program + errorName(failure->error));
    }
}

} // namespace lnx
