#pragma once
// The file question the program asks of a folder: does it hold a given file, letter case ignored.
#include "port/FileSystem.h"

#include <optional>
#include <string>

namespace drives {

// The name under which `folder` holds the file `name` (folders do not count), letter case ignored
// (ASCII letters only); nothing when it holds none or cannot be read.
std::optional<std::string> findFile(port::IFileSystem& files, const std::string& folder,
                                    const std::string& name);

} // namespace drives
