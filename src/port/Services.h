#pragma once
// Everything the portable code asks of a platform, handed around as one bundle.
#include "port/DeviceEvents.h"
#include "port/Dialogs.h"
#include "port/FileSystem.h"
#include "port/MainView.h"
#include "port/Menus.h"
#include "port/MessageBox.h"
#include "port/Process.h"
#include "port/ScriptHost.h"
#include "port/SpecialFolders.h"
#include "port/TextCodec.h"
#include "port/TrayIcon.h"
#include "port/Volumes.h"
#include "port/WindowTop.h"

namespace port {

struct Services {
    IProcess& process;
    IFileSystem& files;
    ITextCodec& codec;
    IScriptHost& scriptHost;
    IVolumes& volumes;
    ISpecialFolders& folders;
    IMessageBox& messages;
};

// What the main window needs besides: the window itself and the platform features around it.
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
