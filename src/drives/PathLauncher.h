#pragma once
// Starts the autorun program of a folder or of an AUTORUN.INF named outside the drive buttons: dropped
// on the main window, or given on the command line.
#include "drives/Shortcuts.h"

#include <string>
#include <vector>

namespace drives {

class PathLauncher {
  public:
    PathLauncher(port::IFileSystem& files, port::ITextCodec& codec, ShortcutWriter& shortcuts)
        : m_files(files), m_codec(codec), m_shortcuts(shortcuts) {}

    // True when the path led to an AUTORUN.INF and its program was launched. A path that does not exist
    // gives false; a relative path is taken relative to the current folder.
    bool launch(const std::string& path);
    // True when at least one of the paths was launched. Every path is tried.
    bool launchAll(const std::vector<std::string>& paths);

  private:
    port::IFileSystem& m_files;
    port::ITextCodec& m_codec;
    ShortcutWriter& m_shortcuts;
};

} // namespace drives
