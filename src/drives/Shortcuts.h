#pragma once
// The program's shortcuts as the drives use them: a disc's program line turned into a shortcut, the
// launch through the launch file, the Start-menu entries of the discs, and what the user is told when one
// of them fails.
#include "app/IniFile.h"
#include "port/Services.h"

#include <optional>
#include <string>

namespace drives {

// The shortcut of an AUTORUN.INF program line started in `folder` (ending in the separator). Only the
// first space splits program from arguments. A program part without a full stop is taken as a command
// of the system (explorer), not as a file on the disc, so it gets no folder prefix. An icon file named
// without an index gets ",0".
port::Shortcut shortcutFor(const std::string& programLine, const std::string& folder,
                           const std::string& icon);

// The file name of a drive's Start-menu entry in `folder`: "(E) LABEL" and the extension. Every
// character the platform refuses in a file name becomes "_", so no label can place a file outside its
// folder; a label too long for the folder loses characters from its end until the name fits.
std::string startMenuEntryName(const std::string& folder, char driveLetter, const std::string& label,
                               const std::string& extension);

class ShortcutWriter {
  public:
    struct Context {
        port::ILauncher& launcher;
        port::IStartMenu& startMenu;
        port::IFileSystem& files;
        port::IMessageBox& messages;
        port::IProcess& process;
        app::IniFile& settingsFile; // asked, at every shortcut, whether to show it first
    };
    explicit ShortcutWriter(Context context) : m_context(context) {}

    // Starts the program line in `folder` through the launch file; false when it was not started (the
    // user has been told why).
    bool launch(const std::string& programLine, const std::string& folder);
    // Writes the Start-menu entry of the disc in drive `letter`; its path, or nothing when nothing was
    // written (the user has been told why).
    std::optional<std::string> publish(char letter, const std::string& label, const std::string& programLine,
                                       const std::string& folder, const std::string& icon);
    void withdraw(const std::string& path) { m_context.startMenu.withdraw(path); }
    // A launch that failed before its program line was read (an image not opened), told as the
    // launch's own failures are.
    void tellFailure(const std::string& text);

  private:
    port::ShortcutReview review();
    void tell(const port::ShortcutError& error);

    Context m_context;
};

} // namespace drives
