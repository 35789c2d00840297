#pragma once
// File access the portable code needs. Paths are UTF-8 text in the platform's own form; on Linux a
// path may also be a disc path ("E:\Bin\setup.sh"), which the Linux implementation resolves.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace port {

// File attribute bits, as the Windows run-time reports them.
inline constexpr std::uint32_t kAttrReadOnly = 0x01;
inline constexpr std::uint32_t kAttrHidden = 0x02;
inline constexpr std::uint32_t kAttrSystem = 0x04;
inline constexpr std::uint32_t kAttrDirectory = 0x10;

class IFileSystem {
  public:
    virtual ~IFileSystem() = default;

    // The whole file, or nothing when it is missing or unreadable.
    virtual std::optional<std::string> readFile(const std::string& path) = 0;
    // Replaces (or creates) the file atomically: a temporary file beside it, then a rename that keeps
    // the old file's permissions. Returns false, leaving the old file untouched, on any failure.
    virtual bool replaceFile(const std::string& path, std::string_view bytes) = 0;
    // Attributes of a file or folder, or nothing when it does not exist or cannot be queried.
    virtual std::optional<std::uint32_t> attributes(const std::string& path) = 0;
    // Names of the entries of a folder (files and folders, "." and ".." included where the platform
    // gives them; hidden and system entries left out), or nothing when the folder cannot be scanned.
    virtual std::optional<std::vector<std::string>> scanDirectory(const std::string& folder) = 0;
    // Plain deletion of one file. An error text on failure, empty on success.
    virtual std::string deleteFile(const std::string& path) = 0;
    virtual bool createDirectories(const std::string& path) = 0;
    virtual std::string currentDirectory() = 0;
};

} // namespace port
