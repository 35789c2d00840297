#pragma once
// A shortcut as a Desktop Entry: the program, its arguments, its working folder and its icon, in the
// form a Linux desktop starts and shows them.
#include "linux/DesktopEntry.h"
#include "port/Shortcuts.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lnx {

// Turns a path that may be in Windows form ("E:\Bin\SETUP.sh", "/media/cd/Bin\setup.sh") into a path
// on this machine.
using PathResolver = std::function<std::string(std::string_view)>;

// Turns a shortcut's icon ("E:\SETUP.EXE,2", "/media/cd/DISC.ICO") into an image file a desktop can
// show (the windowing layer writes a PNG); empty when it has none.
using IconConverter = std::function<std::string(const std::string& icon)>;

// The path by which Windows programs under Wine find `path`, a file of this machine, on a drive letter
// of their own ("D:\SETUP.EXE"); nothing when Wine gives it none.
using WinePath = std::function<std::optional<std::string>(const std::string& path)>;

// True for a file name ending in .exe, .com or .bat in any letter case: a program for Wine.
bool isWindowsProgram(std::string_view path);

// The program with which the desktop opens what is not a program itself (a folder, a document, a web
// address) in the form it takes one argument: "xdg-open", or "gio open" where only GLib's tool is
// installed. With neither, "xdg-open", which the launch then reports missing.
std::vector<std::string> desktopOpener();

// The index in an entry's Exec of the file it starts or opens: after "wine" or the desktop's opener.
std::size_t fileArgument(const std::vector<std::string>& exec);

// The Desktop Entry named `name` that stands for `shortcut`: its paths resolved, a Windows program run
// through wine, the arguments split the Windows way, an icon the desktop can show (or none). A folder, a
// document or a web address goes to the desktop's opener, without the arguments, as the Windows shell
// opens them. A Windows program that is there is named by `winePath`'s path where it gives one.
DesktopEntry shortcutEntry(const std::string& name, const port::Shortcut& shortcut,
                           const PathResolver& resolve, const IconConverter& convertIcon = {},
                           const WinePath& winePath = {});

} // namespace lnx
