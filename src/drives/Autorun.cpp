#include "drives/Autorun.h"

#include "app/Profile.h"

namespace drives {

AutorunLines readAutorun(port::IFileSystem& files, port::ITextCodec& codec, const std::string& path) {
    const std::string bytes = files.readFile(path).value_or(std::string());
    AutorunLines lines;
    lines.open = app::profile::getString(bytes, "AutoRun", "open", "", codec);
    lines.icon = app::profile::getString(bytes, "AutoRun", "icon", lines.open, codec);
    return lines;
}

} // namespace drives
