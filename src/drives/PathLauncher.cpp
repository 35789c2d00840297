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

// The path as the file system finds it from the current folder.
std::string absolute(port::IFileSystem& files, const std::string& path) {
    if (path.empty() || port::isAbsolutePath(path) || port::isPathSeparator(path.front()) ||
        hasDrivePrefix(path))
        return path;
    return app::withSeparator(files.currentDirectory().value_or(std::string())) + path;
}

} // namespace

bool PathLauncher::launchAll(const std::vector<std::string>& paths) {
    bool launched = false;
    for (const std::string& path : paths)
        launched = tryLaunch(path).has_value() || launched;
    return launched;
}

port::Result<std::string> PathLauncher::locate(port::IFileSystem& files, const std::string& path) {
    const std::string missing = "「" + path + "」が見つかりません。";
    if (path.empty())
        return port::fail(missing);
    std::string s = absolute(files, path);

    const auto kind = files.kind(s);
    if (!kind)
        return port::fail(missing);
    if (*kind == port::FileKind::Folder) {
        s = app::withSeparator(s);
        const auto autorun = findFile(files, s, "AUTORUN.INF");
        if (!autorun)
            return port::fail("フォルダー「" + path + "」に AUTORUN.INF がありません。");
        return s + *autorun;
    }
    const auto cut = app::lastSeparator(s);
    if (cut == std::string::npos || app::upperAscii(s.substr(cut + 1)) != "AUTORUN.INF")
        return port::fail("「" + path + "」は AUTORUN.INF ではありません。");
    return s;
}

port::Result<std::string, PathFailure>
PathLauncher::locateOrOpen(port::IFileSystem& files, port::IDrives& drives, const std::string& path) {
    auto located = locate(files, path);
    if (located)
        return std::move(*located);
    const std::string full = absolute(files, path);
    if (files.kind(full) != port::FileKind::File)
        return PathFailure{located.error()};
    auto opened = drives.openImage(full);
    if (!opened)
        return opened.failure().notAnImage ? PathFailure{located.error()}
                                           : PathFailure{opened.failure().text, true};
    if (auto onDisc = locate(files, *opened))
        return std::move(*onDisc);
    return PathFailure{"ディスク イメージ「" + path + "」に AUTORUN.INF がありません。"};
}

bool PathLauncher::launch(const std::string& path) {
    return tryLaunch(path).value_or(false);
}

std::optional<bool> PathLauncher::tryLaunch(const std::string& path) {
    const auto autorun = locateOrOpen(m_files, m_drives, path);
    if (!autorun) {
        if (autorun.failure().imageRefused)
            m_shortcuts.tellFailure(autorun.failure().text);
        return std::nullopt;
    }
    const std::string& s = *autorun;
    const auto cut = app::lastSeparator(s);
    return m_shortcuts.launch(readAutorun(m_files, m_codec, s).open, s.substr(0, cut + 1));
}

} // namespace drives
