#pragma once
// The Linux stand-in for "WScript.Shell": shortcuts are Desktop Entry files, and "Run" starts the
// program a Desktop Entry names, detached and without a shell.
#include "linux/DesktopEntry.h"
#include "port/FileSystem.h"
#include "port/ScriptHost.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lnx {

// Turns a path that may be in Windows form ("E:\Bin\SETUP.sh", "/media/cd/Bin\setup.sh") into a path
// on this machine.
using PathResolver = std::function<std::string(std::string_view)>;

// Turns a shortcut's icon location ("E:\SETUP.EXE,2", "E:\DISC.ICO") into an image file a desktop
// can show (the windowing layer writes a PNG); empty when it has none.
using IconConverter = std::function<std::string(const std::string& iconLocation)>;

// Gives a path in well-formed UTF-8 that leads to `target` (a path on a disc whose names are in another
// encoding), or empty when there is none.
using LinkMaker = std::function<std::string(const std::string& target)>;

// A symbolic link to `target` in `folder` (made when missing), named after the target so that the same
// target always gets the same link; its path, or empty when it cannot be made.
std::string utf8Link(const std::string& target, const std::string& folder);

inline constexpr const char* kWineRequired =
    "Windows のプログラムを実行するには Wine が必要です。\r\nWine をインストールしてください。\r\n";
inline constexpr const char* kProgramNotFound = "プログラムが見つかりません: ";
inline constexpr const char* kProgramNotExecutable = "プログラムを実行できません: ";
inline constexpr const char* kFolderNotFound = "作業フォルダが見つかりません: ";
inline constexpr const char* kShortcutUnreadable = "ショートカットを開けません: ";
inline constexpr const char* kShortcutUnwritable = "ファイルに書き込めません。";
inline constexpr const char* kShortcutUnstorable = "ショートカットに書けない文字が含まれています。";

// True for a file name ending in .exe, .com or .bat in any letter case: a program for Wine.
bool isWindowsProgram(std::string_view path);

// The Desktop Entry that stands for a shortcut with these four fields, named `name`.
DesktopEntry shortcutEntry(const std::string& name, const std::string& targetPath,
                           const std::string& arguments, const std::string& workingDirectory,
                           const std::string& iconLocation, const PathResolver& resolve,
                           const IconConverter& convertIcon = {});

// Removes from `folder` the entries this program wrote for discs ("(E) LABEL.desktop", marked as its
// own) whose disc is no longer in its drive: what a run that ended without cleaning up left behind.
// `labelOf` gives the volume label of a drive ("E:") now.
void removeStaleEntries(const std::string& folder,
                        const std::function<std::string(const std::string&)>& labelOf);

// Writes its entry through `files` (its replace), named by `file` as given.
class LinuxShortcut : public port::IShortcut {
  public:
    LinuxShortcut(port::IFileSystem& files, std::string file, PathResolver resolve,
                  IconConverter convertIcon = {}, LinkMaker link = {});

    void setTargetPath(const std::string& v) override { m_target = v; }
    void setArguments(const std::string& v) override { m_arguments = v; }
    void setWorkingDirectory(const std::string& v) override { m_workingDirectory = v; }
    void setIconLocation(const std::string& v) override { m_icon = v; }
    std::string TargetPath() override { return m_target; }
    std::string Arguments() override { return m_arguments; }
    std::string WorkingDirectory() override { return m_workingDirectory; }
    std::string IconLocation() override { return m_icon; }
    port::Result<void> Save() override;

  private:
    port::IFileSystem& m_files;
    std::string m_file;
    PathResolver m_resolve;
    IconConverter m_convertIcon;
    LinkMaker m_link;
    std::string m_target;
    std::string m_arguments;
    std::string m_workingDirectory;
    std::string m_icon;
};

class LinuxScriptShell : public port::IScriptShell {
  public:
    // Shortcut files are written through `files`, which takes their paths as they are (no disc paths).
    LinuxScriptShell(port::IFileSystem& files, PathResolver resolve, IconConverter convertIcon = {},
                     LinkMaker link = {});

    // Any path whose file name ends in ".desktop" (any letter case) and has a name before it.
    port::Result<std::unique_ptr<port::IShortcut>> CreateShortcut(const std::string& path) override;
    // `command` is the path of a Desktop Entry file, optionally in double quotes.
    port::Result<void> Run(const std::string& command) override;

  private:
    port::IFileSystem& m_files;
    PathResolver m_resolve;
    IconConverter m_convertIcon;
    LinkMaker m_link;
};

} // namespace lnx
