#pragma once
// The one way the program's shortcuts reach the disk on Linux, for the launch file and the Start-menu
// entries alike: the shortcut made into a Desktop Entry that desktops accept, checked, written whole.
#include "linux/ShortcutEntry.h"
#include "port/FileSystem.h"

#include <functional>
#include <string>

namespace lnx {

// Gives a path in well-formed UTF-8 that leads to `target` (a path on a disc whose names are in another
// encoding), or empty when there is none (see utf8Link).
using LinkMaker = std::function<std::string(const std::string& target)>;

class EntryWriter {
  public:
    // `files` writes the entries, taking their paths as they are (never as disc paths: a volume label
    // in an entry's name may hold a "\"). `resolve` and `convertIcon` make the entry (see
    // shortcutEntry); `link` gives it UTF-8 paths for others.
    EntryWriter(port::IFileSystem& files, PathResolver resolve, IconConverter convertIcon = {},
                LinkMaker link = {});

    // Shows `shortcut` as given to `review` (when set), then writes its entry, named after `file`, as
    // `file` (a ".desktop" file), replacing it whole and making its folder when missing. A Windows
    // program is named by `winePath`'s path where it gives one (see shortcutEntry). The entry as
    // written; a failure's text is for the user.
    port::Result<DesktopEntry> write(const std::string& file, const port::Shortcut& shortcut,
                                     const port::ShortcutReview& review, const WinePath& winePath = {});

  private:
    port::IFileSystem& m_files;
    PathResolver m_resolve;
    IconConverter m_convertIcon;
    LinkMaker m_link;
};

} // namespace lnx
