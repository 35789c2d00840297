#pragma once
// Starts the autorun program of a folder or of an AUTORUN.INF named outside the drive buttons: dropped
// on the main window, given on the command line, or handed over by another start of the program.
#include "drives/Shortcuts.h"
#include "port/Drives.h"

#include <optional>
#include <string>
#include <vector>

namespace drives {

// Why a path leads to no AUTORUN.INF, in a sentence for the user.
struct PathFailure {
    std::string text;
    // The path is a disc image the system would not open. That is told wherever the path came from,
    // while a path that is no disc at all launches nothing in silence.
    bool imageRefused = false;
};

class PathLauncher {
  public:
    PathLauncher(port::IFileSystem& files, port::ITextCodec& codec, port::IDrives& drives,
                 ShortcutWriter& shortcuts)
        : m_files(files), m_codec(codec), m_drives(drives), m_shortcuts(shortcuts) {}

    // The full path of the AUTORUN.INF that `path` leads to: the file itself when its name is AUTORUN.INF
    // (letter case ignored), or the one in the folder it names. A relative path is taken relative to the
    // current folder. A failure says, in a sentence for the user, why the path leads to none.
    static port::Result<std::string> locate(port::IFileSystem& files, const std::string& path);
    // As locate, and a disc image file opened as a disc first (attached and mounted): the AUTORUN.INF
    // at the root of its files.
    static port::Result<std::string, PathFailure>
    locateOrOpen(port::IFileSystem& files, port::IDrives& drives, const std::string& path);
    // True when the path led to an AUTORUN.INF and its program was started; when the program could not
    // start, or an image not open, the user has been told why.
    bool launch(const std::string& path);
    // Every path is tried; true when at least one led to an AUTORUN.INF, whatever came of its launch (as
    // with a click on a drive button, the user has been told of a failure).
    bool launchAll(const std::vector<std::string>& paths);

  private:
    // Nothing when the path leads to no AUTORUN.INF; else whether its program started.
    std::optional<bool> tryLaunch(const std::string& path);

    port::IFileSystem& m_files;
    port::ITextCodec& m_codec;
    port::IDrives& m_drives;
    ShortcutWriter& m_shortcuts;
};

} // namespace drives
