#include "linux/LinuxScriptFileSystem.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <unistd.h>

namespace lnx {

namespace fs = std::filesystem;

port::Result<std::vector<port::DriveEntry>> LinuxScriptFileSystem::Drives() {
    std::vector<port::DriveEntry> entries;
    for (const auto& d : m_source.drives())
        entries.push_back(port::DriveEntry{4, std::string(1, d.letter)});
    return entries;
}

port::Result<std::vector<std::string>> LinuxScriptFileSystem::GetFolderFiles(const std::string& folder) {
    const std::string resolved = m_paths.resolve(folder);
    std::error_code ec;
    fs::directory_iterator it(resolved, ec);
    if (ec)
        return port::fail("フォルダを開けません: " + folder + " (" + ec.message() + ")");
    std::vector<std::string> names;
    // A failure half-way keeps the names gathered so far, as the scripting object does.
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            break;
        std::error_code typeError;
        if (it->is_regular_file(typeError))
            names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

port::Result<void> LinuxScriptFileSystem::DeleteFile(const std::string& path) {
    const std::string resolved = m_paths.resolve(path);
    // unlink, not remove: a folder must not go, and unlink refuses folders.
    int rc = 0;
    do {
        rc = ::unlink(resolved.c_str());
    } while (rc != 0 && errno == EINTR);
    if (rc == 0)
        return {};
    return port::fail("ファイルを削除できません: " + path);
}

} // namespace lnx
