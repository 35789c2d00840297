#pragma once
// Files through the wide Windows API.
#include "port/FileSystem.h"

namespace win {

class Win32FileSystem : public port::IFileSystem {
  public:
    std::optional<std::string> readFile(const std::string& path) override;
    bool replaceFile(const std::string& path, std::string_view bytes) override;
    std::optional<std::uint32_t> attributes(const std::string& path) override;
    std::optional<std::vector<std::string>> scanDirectory(const std::string& folder) override;
    std::string deleteFile(const std::string& path) override;
    bool createDirectories(const std::string& path) override;
    std::string currentDirectory() override;

    // Files larger than this are refused by readFile: settings and AUTORUN.INF files are small, and a
    // damaged or hostile disc must not make the program claim gigabytes.
    static constexpr std::uint64_t kMaxReadSize = 64ull * 1024 * 1024;
};

// The user's text for a Win32 error code of a file operation.
std::string fileErrorText(unsigned long error);

} // namespace win
