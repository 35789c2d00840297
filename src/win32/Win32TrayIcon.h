#pragma once
// The program's icon in the notification area, with Shell_NotifyIconW. The icon belongs to a hidden
// top-level window of its own, which takes the icon's mouse messages and the shell's news of a new
// taskbar: that news is broadcast to top-level windows only, and under Wine an icon of a message-only
// window opened no menu.
#include "port/TrayIcon.h"
#include "win32/GuiHandles.h"

#include <windows.h>

#include <shellapi.h>

namespace win {

// What outside programs (the test driver) can rely on to find the window the icon (uID 1) belongs to.
inline constexpr wchar_t kTrayWindowClass[] = L"TavimoroTrayWindow";

class Win32TrayIcon : public port::ITrayIcon {
  public:
    // The icon is the program's own (from `instance`) at the system's small-icon size, the size the
    // notification area draws at whatever monitor the drive window is on. It stays still while
    // `mainWindow` is disabled (a modal window of the program is open).
    Win32TrayIcon(HINSTANCE instance, HWND mainWindow);
    ~Win32TrayIcon() override;
    Win32TrayIcon(const Win32TrayIcon&) = delete;
    Win32TrayIcon& operator=(const Win32TrayIcon&) = delete;

    void setHandler(std::function<void(port::TrayEvent)> handler) override { m_handler = std::move(handler); }
    void add(const std::string& tip) override;
    void remove() override;
    // While the program wants its icon and the shell has not taken it, there is no notification area.
    bool available() override { return m_shown || !m_wanted; }
    // A balloon at the icon, while the shell has it.
    bool notify(const std::string& title, const std::string& text) override;
    // The notification area draws no menu of its own here: the menu opens on OpenMenu.
    void setMenu(const std::vector<port::MenuEntry>&, std::function<void(int)>) override {}

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void mouse(UINT message);

    HWND m_mainWindow;
    UINT m_taskbarCreated;
    std::function<void(port::TrayEvent)> m_handler;
    UniqueIcon m_icon;
    NOTIFYICONDATAW m_data{}; // the record of the last add, which an add after a new taskbar repeats
    bool m_wanted = false;    // the program asked for its icon and has not taken it away
    bool m_shown = false;     // the shell took it
    UniqueWindow m_window;
};

} // namespace win
