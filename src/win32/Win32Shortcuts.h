#pragma once
// The program's shortcuts on Windows: .lnk files written through "WScript.Shell", the launch file beside the
// executable, which the shell then opens, and the discs' entries in the user's Start-menu folder.
#include "port/Shortcuts.h"

#include <optional>
#include <string>

namespace win {

class Win32Launcher : public port::ILauncher {
  public:
    // Ready when "Scripting.FileSystemObject" is installed: its class registered, its server's file there.
    port::Result<void> ready() override;
    port::Result<void, port::ShortcutError> launch(const port::Shortcut& shortcut,
                                                   const port::ShortcutReview& review) override;
    std::string launchFile() override;
    void cleanUp() override;
};

class Win32StartMenu : public port::IStartMenu {
  public:
    // Looked up once, ending in "\".
    std::string folder() override;
    std::string extension() override { return ".lnk"; }
    port::Result<std::string, port::ShortcutError> publish(const std::string& name,
                                                           const port::Shortcut& shortcut,
                                                           const port::ShortcutReview& review) override;
    void withdraw(const std::string& path) override;
    // The shortcuts named for a drive whose description says they are the program's.
    std::vector<std::string> ownEntries() override;

  private:
    std::optional<std::string> m_folder;
};

} // namespace win
