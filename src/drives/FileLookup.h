#pragma once
// The file questions the program asks of a folder: does it hold a given file, letter case ignored, and
// delete it if so.
#include "port/FileSystem.h"

#include <optional>
#include <string>

namespace drives {

// The name under which `folder` holds the file `name` (folders do not count), letter case ignored
// (ASCII letters only); nothing when it holds none or cannot be read.
std::optional<std::string> findFile(port::IFileSystem& files, const std::string& folder,
                                    const std::string& name);
// Deletes the file `name` of `folder` when findFile finds it; one it does not find is no failure.
port::Result<void> deleteFile(port::IFileSystem& files, const std::string& folder, const std::string& name);

} // namespace drives
