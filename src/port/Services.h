#pragma once
// Everything the portable code asks of a platform, handed around as two bundles: what the whole program
// needs, and what its drive window needs besides.
#include "port/DeviceEvents.h"
#include "port/Dialogs.h"
#include "port/Drives.h"
#include "port/FileSystem.h"
#include "port/Icons.h"
#include "port/MainView.h"
#include "port/Menus.h"
#include "port/MessageBox.h"
#include "port/Process.h"
#include "port/Shortcuts.h"
#include "port/TextCodec.h"
#include "port/TrayIcon.h"
#include "port/WindowTop.h"

namespace port {

struct Services {
    IProcess& process;
    IFileSystem& files;
    ITextCodec& codec;
    IDrives& drives;
    ILauncher& launcher;
    IStartMenu& startMenu;
    IMessageBox& messages;
};

struct WindowServices {
    IMainView& view;
    IIcons& icons;
    ITrayIcon& tray;
    IPopupMenu& popup;
    ISystemMenu& systemMenu;
    IWindowTop& windowTop;
    IDialogs& dialogs;
    IDeviceEvents& deviceEvents;
};

} // namespace port
