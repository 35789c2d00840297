#include "drives/code_DropSet.h"

#include "app/Text.h"
#include "drives/code_LoadFile.h"
#include "port/Paths.h"
#include "shell/cls_FileSystemObject.h"

namespace app::code_DropSet {
namespace {

// A drive-relative path ("E:" or "E:setup") names a drive, not the current folder.
bool hasDrivePrefix(const std::string& path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

} // namespace

bool LaunchDroppedFiles(Program& program, port::IDropData& data) {
    if (!data.hasFileList())
        return false;
    bool launched = false;
    const int count = data.fileCount();
    for (int i = 1; i <= count; ++i)
        launched = LaunchFromPath(program, data.file(i)) || launched;
    return launched;
}

bool LaunchFromPath(Program& program, const std::string& path) {
    port::Services& services = program.services;
    if (path.empty())
        return false;
    std::string s = path;
    if (!port::isAbsolutePath(s) && !port::isPathSeparator(s.front()) && !hasDrivePrefix(s))
        s = withSeparator(services.files.currentDirectory().value_or(std::string())) + s;

    const auto attributes = services.files.attributes(s);
    if (!attributes)
        return false;
    if (*attributes & port::kAttrDirectory) {
        s = withSeparator(s);
        cls_FileSystemObject fso(services);
        if (fso.File(s, "AUTORUN.INF"))
            s += "AUTORUN.INF";
    }

    const auto cut = lastSeparator(s);
    if (cut == std::string::npos || upperAscii(s.substr(cut + 1)) != "AUTORUN.INF")
        return false;
    const std::string folder = s.substr(0, cut);

    IniClass autorun(services.files, services.codec);
    autorun.SetFile(s);
    autorun.SetSection("AutoRun");
    const std::string open = autorun.T_GetSetting("open", "");
    code_LoadFile::LaunchProgram(program, open, folder + s[cut]);
    return true;
}

} // namespace app::code_DropSet
