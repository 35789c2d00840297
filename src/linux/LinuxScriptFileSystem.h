#pragma once
// The Linux stand-in for "Scripting.FileSystemObject": the CD-ROM drives, folder listings and file
// deletion, with Windows disc paths resolved to the mounted media.
#include "linux/DiscPaths.h"
#include "linux/DriveSource.h"
#include "port/ScriptHost.h"

namespace lnx {

class LinuxScriptFileSystem : public port::IScriptFileSystem {
  public:
    LinuxScriptFileSystem() : m_source(), m_paths(m_source) {}
    explicit LinuxScriptFileSystem(const DriveSource& source) : m_source(source), m_paths(m_source) {}

    // Only the CD-ROM drives: Linux has no other drive letters. Each is DriveType 4.
    port::Result<std::vector<port::DriveEntry>> Drives() override;
    // Regular files only (symbolic links to files count), sorted by name; a failure when the folder
    // cannot be opened.
    port::Result<std::vector<std::string>> GetFolderFiles(const std::string& folder) override;
    // Deletes one file, never a folder. "ファイルを削除できません: " + path on failure.
    port::Result<void> DeleteFile(const std::string& path) override;

  private:
    DriveSource m_source;
    DiscPaths m_paths;
};

} // namespace lnx
