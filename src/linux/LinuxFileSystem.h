#pragma once
// Files and folders on Linux, over POSIX and std::filesystem.
#include "port/FileSystem.h"

#include <functional>
#include <optional>
#include <string>

namespace lnx {

// The whole content of a regular file of at most `limit` bytes; nothing for anything else, with errno
// saying why. A FIFO, a device or a socket under the name (a disc may carry them) is refused without
// ever blocking.
std::optional<std::string> readRegularFile(const std::string& path, std::size_t limit);

class LinuxFileSystem : public port::IFileSystem {
  public:
    // Maps a path as the program names it (a disc path such as "E:\Bin", say) to a path of this system;
    // applied to every path first. Empty means paths are taken as they are.
    using Resolver = std::function<std::string(const std::string&)>;

    explicit LinuxFileSystem(Resolver resolve = {});

    port::Result<std::string> readFile(const std::string& path, std::size_t limit = SIZE_MAX) override;
    port::Result<void> replaceFile(const std::string& path, std::string_view bytes) override;
    port::Result<port::FileKind> kind(const std::string& path) override;
    // Regular files and symbolic links to them, sorted by name. A failure half-way keeps the names
    // gathered so far.
    port::Result<std::vector<std::string>> folderFiles(const std::string& folder) override;
    port::Result<void> deleteFile(const std::string& path) override;
    port::Result<void> createDirectories(const std::string& path) override;
    port::Result<std::string> currentDirectory() override;

    // Files larger than this read as unreadable rather than exhausting memory.
    static constexpr std::size_t kMaxFileSize = std::size_t{512} << 20;

  private:
    std::string resolve(const std::string& path) const;

    Resolver m_resolve;
};

} // namespace lnx
