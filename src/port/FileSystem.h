#pragma once
// File access the portable code needs. Paths are UTF-8 text in the platform's own form; on Linux a
// path may also be a disc path ("E:\Bin\setup.sh"), which the Linux implementation resolves.
#include "port/Result.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace port {

enum class FileKind { File, Folder };

class IFileSystem {
  public:
    virtual ~IFileSystem() = default;

    // The whole file; a failure when it is missing, unreadable, or larger than `limit` bytes (or than the
    // bound the platform sets on every read).
    virtual Result<std::string> readFile(const std::string& path, std::size_t limit = SIZE_MAX) = 0;
    // Replaces (or creates) the file atomically: a temporary file beside it, then a rename that keeps
    // the old file's permissions. A read-only file is refused, as Windows refuses it. On any failure the
    // old file is left untouched.
    virtual Result<void> replaceFile(const std::string& path, std::string_view bytes) = 0;
    // Whether a path names a file or a folder; a failure when it does not exist or cannot be queried.
    virtual Result<FileKind> kind(const std::string& path) = 0;
    // The names of the files in a folder, hidden ones included and folders left out, in no set order;
    // a failure when the folder cannot be read.
    virtual Result<std::vector<std::string>> folderFiles(const std::string& folder) = 0;
    // Plain deletion of one file; the failure's text is for the user.
    virtual Result<void> deleteFile(const std::string& path) = 0;
    // The folder and every missing folder above it; succeeds when the folder exists afterwards.
    virtual Result<void> createDirectories(const std::string& path) = 0;
    virtual Result<std::string> currentDirectory() = 0;
};

} // namespace port
