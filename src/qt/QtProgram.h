#pragma once
// The whole Linux program over a given view of the machine's drives: the shipped program reads the
// real system; the end-to-end tests hand in a simulated one.
#include "linux/DiscPaths.h"
#include "linux/DriveSource.h"
#include "linux/EntryWriter.h"
#include "linux/LinuxCodec.h"
#include "linux/LinuxDrives.h"
#include "linux/LinuxFileSystem.h"
#include "linux/LinuxLauncher.h"
#include "linux/LinuxProcess.h"
#include "linux/LinuxStartMenu.h"
#include "port/Services.h"
#include "qt/QtDeviceEvents.h"
#include "qt/QtDialogs.h"
#include "qt/QtIcons.h"
#include "qt/QtMainView.h"
#include "qt/QtMenus.h"
#include "qt/QtMessageBox.h"
#include "qt/QtTrayIcon.h"
#include "qt/QtWindowTop.h"

#include <string>
#include <vector>

namespace qtui {

// $XDG_CACHE_HOME/tavimoro/ (default ~/.cache/tavimoro/), where shortcut icons are written; empty
// without a home folder.
std::string iconCacheFolder();

// The Linux services over a given view of the machine's drives, wired together. Needs a QApplication.
struct LinuxPlatform {
    LinuxPlatform(std::string argv0, std::vector<std::string> arguments,
                  const lnx::DriveSourceConfig& driveConfig);
    LinuxPlatform(const LinuxPlatform&) = delete;
    LinuxPlatform& operator=(const LinuxPlatform&) = delete;

    lnx::LinuxProcess process;
    const lnx::DriveSource driveSource;
    const lnx::DiscPaths discPaths;
    QtIcons icons;
    lnx::LinuxFileSystem files;
    // Launch files and Start-menu entries are named as this machine names them, never as disc paths:
    // a volume label in an entry's name may hold a "\" or differ from an old entry only in case.
    lnx::LinuxFileSystem entryFiles;
    lnx::LinuxCodec codec;
    lnx::LinuxDrives drives;
    lnx::EntryWriter entries;
    lnx::LinuxLauncher launcher;
    lnx::LinuxStartMenu startMenu;
    QtMessageBox messages;
    port::Services services{process, files, codec, drives, launcher, startMenu, messages};
};

// The drive window and the features around it, wired together. Needs a QApplication. Whoever drives it
// (the presenter) must be destroyed first.
struct QtWindow {
    // The icon goes to a notification area found on `bus` (the session bus) or the X server; `drives`
    // are the drives whose discs are watched.
    // The pictures of `icons` are made for the window's screen while it lives.
    QtWindow(QtIcons& icons, const QDBusConnection& bus, const lnx::DriveSource& drives);
    ~QtWindow();
    QtWindow(const QtWindow&) = delete;
    QtWindow& operator=(const QtWindow&) = delete;

    QtMainView view;
    QtTrayIcon tray;
    QtPopupMenu popup;
    QtSystemMenu systemMenu;
    QtWindowTop windowTop;
    QtDialogs dialogs;
    QtDeviceEvents deviceEvents;
    port::WindowServices services;

  private:
    QtIcons& m_icons;
};

// Runs the program as started with argc/argv; gives its exit status.
int runProgram(int argc, char** argv, const lnx::DriveSourceConfig& drives);

} // namespace qtui
