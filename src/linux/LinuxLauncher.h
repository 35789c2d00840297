#pragma once
// Launching a disc's program on Linux: the launch file is a Desktop Entry in the settings folder, and
// the program starts from the entry as it was written: detached, without a shell, Windows programs
// through wine (by the drive letter Wine gives their disc, where it gives one), folders, documents and
// web addresses through the desktop's opener.
#include "linux/EntryWriter.h"
#include "port/Shortcuts.h"

#include <string>

namespace lnx {

class LinuxLauncher : public port::ILauncher {
  public:
    // The launch file goes into `folder` (the settings folder, ending in "/"), written by `entries`; a
    // Windows program is named by `winePath`'s path where it gives one. The working folder stays this
    // machine's: Wine takes a folder on a letter's disc for that letter's ("D:\").
    LinuxLauncher(EntryWriter& entries, std::string folder, WinePath winePath = {});

    // Nothing more than the program itself is needed to launch.
    port::Result<void> ready() override { return {}; }
    port::Result<void, port::ShortcutError> launch(const port::Shortcut& shortcut,
                                                   const port::ShortcutReview& review) override;
    std::string launchFile() override { return m_folder + "autorun.desktop"; }
    void cleanUp() override;

  private:
    EntryWriter& m_entries;
    std::string m_folder;
    WinePath m_winePath;
};

} // namespace lnx
