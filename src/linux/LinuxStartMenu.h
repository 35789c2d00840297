#pragma once
// The Start menu on Linux: the per-user launcher folder of the XDG conventions, where a disc's entry is
// a Desktop Entry that desktops list among the applications.
#include "linux/EntryWriter.h"
#include "port/Shortcuts.h"

#include <functional>
#include <string>

namespace lnx {

class LinuxStartMenu : public port::IStartMenu {
  public:
    // Entries are written by `entries` and deleted through `files`, which takes paths as they are.
    LinuxStartMenu(EntryWriter& entries, port::IFileSystem& files) : m_entries(entries), m_files(files) {}

    // $XDG_DATA_HOME/applications/ (default ~/.local/share/applications/); empty without a home.
    std::string folder() override;
    std::string extension() override { return std::string(kDesktopExtension); }
    // A name must be a ".desktop" file's; the folder is made when missing.
    port::Result<std::string, port::ShortcutError> publish(const std::string& name,
                                                           const port::Shortcut& shortcut,
                                                           const port::ShortcutReview& review) override;
    // Never deletes a folder.
    void withdraw(const std::string& path) override;

    // The ".desktop" files named for a drive that say they are the program's.
    std::vector<std::string> ownEntries() override;

  private:
    EntryWriter& m_entries;
    port::IFileSystem& m_files;
};

} // namespace lnx
