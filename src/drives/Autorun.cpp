#include "drives/Autorun.h"

#include "app/Profile.h"
#include "app/Text.h"

namespace drives {

AutorunLines readAutorun(port::IFileSystem& files, port::ITextCodec& codec, const std::string& path) {
    const std::string bytes = files.readFile(path, kMaxAutorunBytes).value_or(std::string());
    auto values = app::profile::findValues(bytes, "AutoRun", {"open", "icon"}, codec);
    // As the profile functions give them into the program's buffer.
    constexpr std::size_t kLongest = app::profile::kDefaultBufferSize - 1;
    AutorunLines lines;
    lines.open = app::cutUtf8(values[0].value_or(""), kLongest);
    lines.icon = values[1] ? app::cutUtf8(*values[1], kLongest) : lines.open;
    return lines;
}

} // namespace drives
