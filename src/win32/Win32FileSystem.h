#pragma once
// Files through the wide Windows API.
#include "port/FileSystem.h"

#include <windows.h>

namespace win {

class Win32FileSystem : public port::IFileSystem {
  public:
    port::Result<std::string> readFile(const std::string& path, std::size_t limit = SIZE_MAX) override;
    port::Result<void> replaceFile(const std::string& path, std::string_view bytes) override;
    port::Result<port::FileKind> kind(const std::string& path) override;
    port::Result<std::vector<std::string>> folderFiles(const std::string& folder) override;
    port::Result<void> deleteFile(const std::string& path) override;
    port::Result<void> createDirectories(const std::string& path) override;
    port::Result<std::string> currentDirectory() override;

    // Files larger than this are refused by readFile: settings and AUTORUN.INF files are small, and a
    // damaged or hostile disc must not make the program claim gigabytes.
    static constexpr std::uint64_t kMaxReadSize = 64ull * 1024 * 1024;
};

// The user's text for a Win32 error code of a file operation.
std::string fileErrorText(unsigned long error);

// While it lives, an empty removable drive fails this thread's calls at once instead of bringing up the
// system's "insert a disk" box: the program asks its drives on every poll.
class QuietDriveErrors {
  public:
    QuietDriveErrors() { SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &m_previous); }
    ~QuietDriveErrors() { SetThreadErrorMode(m_previous, nullptr); }
    QuietDriveErrors(const QuietDriveErrors&) = delete;
    QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

  private:
    DWORD m_previous = 0;
};

} // namespace win
