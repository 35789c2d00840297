#include "drives/PathLauncher.h"

#include "app/Text.h"
#include "drives/Autorun.h"
#include "drives/FileLookup.h"
#include "port/Paths.h"

namespace drives {
namespace {

// A drive-relative path ("E:" or "E:setup") names a drive, not the current folder.
bool hasDrivePrefix(const std::string& path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

} // namespace

bool PathLauncher::launchAll(const std::vector<std::string>& paths) {
    bool launched = false;
    for (const std::string& path : paths)
        launched = launch(path) || launched;
    return launched;
}

bool PathLauncher::launch(const std::string& path) {
    if (path.empty())
        return false;
    std::string s = path;
    if (!port::isAbsolutePath(s) && !port::isPathSeparator(s.front()) && !hasDrivePrefix(s))
        s = app::withSeparator(m_files.currentDirectory().value_or(std::string())) + s;

    const auto kind = m_files.kind(s);
    if (!kind)
        return false;
    if (*kind == port::FileKind::Folder) {
        s = app::withSeparator(s);
        if (const auto autorun = findFile(m_files, s, "AUTORUN.INF"))
            s += *autorun;
    }

    const auto cut = app::lastSeparator(s);
    if (cut == std::string::npos || app::upperAscii(s.substr(cut + 1)) != "AUTORUN.INF")
        return false;
    const std::string folder = s.substr(0, cut);

    m_shortcuts.launch(readAutorun(m_files, m_codec, s).open, folder + s[cut]);
    return true;
}

} // namespace drives
