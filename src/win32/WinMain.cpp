// The Windows program's entry: the platform services, then the portable start-up, then the drive window
// with the features around it until it is closed for good.
#include "drives/PathLauncher.h"
#include "program/Program.h"
#include "win32/Handles.h"
#include "win32/Win32Codec.h"
#include "win32/Win32DeviceEvents.h"
#include "win32/Win32Dialogs.h"
#include "win32/Win32Drives.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32Icons.h"
#include "win32/Win32MainView.h"
#include "win32/Win32Menus.h"
#include "win32/Win32MessageBox.h"
#include "win32/Win32Process.h"
#include "win32/Win32Shortcuts.h"
#include "win32/Win32TrayIcon.h"
#include "win32/Win32WindowTop.h"

#include <imm.h>

#include <optional>
#include <string>
#include <vector>

namespace {

// Runs until the quit message; gives its exit code.
int runMessageLoop() {
    MSG message{};
    BOOL got = 0;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return got == 0 ? static_cast<int>(message.wParam) : 1;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // The program takes no text, so its thread needs no input method. Wine's input-method support enters a
    // COM apartment at a window's first focus, which would load COM into every start.
    ImmDisableIME(0);
    win::Win32Process process;
    win::Win32FileSystem files;
    win::Win32Codec codec;
    win::Win32Drives drives;
    win::Win32Launcher launcher;
    win::Win32StartMenu startMenu;
    win::Win32MessageBox messages;
    const port::Services services{process, files, codec, drives, launcher, startMenu, messages};

    program::Program program(services);
    const program::StartOutcome outcome = program.start();
    if (outcome == program::StartOutcome::Ended)
        return 0;
    if (outcome == program::StartOutcome::Failed)
        return 1;

    win::Win32MainView view(instance);
    if (!view.hwnd())
        return 1;
    // The buttons' icons are made at the DPI the drive window is drawn at.
    win::Win32Icons icons(instance, [&view] { return view.dpi(); });
    win::Win32TrayIcon tray(instance, view.hwnd());
    win::Win32PopupMenu popup(view.hwnd());
    win::Win32SystemMenu systemMenu(view.hwnd());
    win::Win32WindowTop windowTop(view.hwnd());
    win::Win32Dialogs dialogs(instance);
    win::Win32DeviceEvents deviceEvents(view);
    const port::WindowServices windowServices{view,       icons,     tray,    popup,
                                              systemMenu, windowTop, dialogs, deviceEvents};

    // The presenter goes before the view and the features: its drive records point at the view's controls.
    const auto window = program.openWindow(windowServices, outcome);
    // A second start asks for the window (Win32Process::handOver): the way the tray icon's
    // double click opens it, then to the front. While a modal window of the program is open the request
    // is dropped, as the icon's events are.
    view.listen(win::showRequestMessage(), [&view, &window] {
        if (!IsWindowEnabled(view.hwnd()))
            return;
        window->openWindow();
        SetForegroundWindow(view.hwnd());
    });
    // A second start hands over a path (Win32Process::handOver): checked before the answer and launched
    // after it, as a drop. A launch that fails holds a message box open, which that start should not wait
    // on; and the request's data lives only while the message is handled. While a modal window is open
    // the request is not taken, and that start launches the path itself.
    std::vector<std::string> handedOver;
    const UINT launchHandedOver = RegisterWindowMessageW(L"Tavimoro.LaunchHandedOver");
    view.answer(WM_COPYDATA, [&](WPARAM, LPARAM lParam) -> LRESULT {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        const auto path = data ? win::launchRequestPath(*data) : std::nullopt;
        if (!path || !IsWindowEnabled(view.hwnd()))
            return 0;
        if (!drives::PathLauncher::locate(files, *path))
            return win::kLaunchRefused;
        handedOver.push_back(*path);
        PostMessageW(view.hwnd(), launchHandedOver, 0, 0);
        return win::kLaunchTaken;
    });
    view.listen(launchHandedOver, [&handedOver, &window] {
        std::vector<std::string> paths;
        paths.swap(handedOver);
        if (!paths.empty())
            window->filesDropped(paths);
    });
    return runMessageLoop();
}
