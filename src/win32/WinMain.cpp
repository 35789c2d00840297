// The Windows program's entry: the platform services, then the portable start-up.
#include "app/code_main.h"
#include "ui/frm_main.h"
#include "win32/Handles.h"
#include "win32/Win32Codec.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32Icons.h"
#include "win32/Win32MainView.h"
#include "win32/Win32MessageBox.h"
#include "win32/Win32Process.h"
#include "win32/Win32ScriptHost.h"
#include "win32/Win32SpecialFolders.h"
#include "win32/Win32Volumes.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // The scripting objects and the shell's shortcut objects want a single-threaded apartment; OLE on
    // top of it serves the main window's drag-and-drop.
    win::OleScope ole;

    win::Win32Process process;
    win::Win32FileSystem files;
    win::Win32Codec codec;
    win::Win32ScriptHost scriptHost;
    win::Win32Volumes volumes;
    win::Win32SpecialFolders folders;
    win::Win32MessageBox messages;
    port::Services services{process, files, codec, scriptHost, volumes, folders, messages};

    app::Program program(services);
    const app::StartOutcome outcome = app::code_main::SubMain(program);
    if (outcome == app::StartOutcome::Ended)
        return 0;

    win::Win32Icons icons(instance);
    win::Win32MainView view(instance);
    if (!view.hwnd())
        return 1;
    // The presenter goes before the view: its drive records point at the view's controls.
    app::frm_main form(program, view, icons);
    view.setPresenter(&form);
    form.Form_Load();
    if (outcome == app::StartOutcome::ShowMainWindow)
        view.setVisible(true);
    const int exitCode = view.runMessageLoop();
    view.setPresenter(nullptr);
    return exitCode;
}
