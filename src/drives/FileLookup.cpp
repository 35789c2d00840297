#include "drives/FileLookup.h"

#include "app/Text.h"

namespace drives {

std::optional<std::string> findFile(port::IFileSystem& files, const std::string& folder,
                                    const std::string& name) {
    if (folder.empty())
        return std::nullopt;
    const auto names = files.folderFiles(app::withSeparator(folder));
    if (!names)
        return std::nullopt;
    const std::string wanted = app::upperAscii(name);
    for (const std::string& entry : *names)
        if (app::upperAscii(entry) == wanted)
            return entry;
    return std::nullopt;
}

} // namespace drives
