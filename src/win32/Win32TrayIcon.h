#pragma once
// The program's icon in the notification area, with Shell_NotifyIconW. The shell reports mouse activity
// on it to the window as WM_MBUTTONDOWN whose lParam is the mouse message.
#include "port/TrayIcon.h"

#include <windows.h>

#include <shellapi.h>

namespace win {

class Win32TrayIcon : public port::ITrayIcon {
  public:
    // `window` receives the callback messages and lends the icon its own small icon.
    explicit Win32TrayIcon(HWND window);
    ~Win32TrayIcon() override;
    Win32TrayIcon(const Win32TrayIcon&) = delete;
    Win32TrayIcon& operator=(const Win32TrayIcon&) = delete;

    void add(const std::string& tip) override;
    void remove() override;
    bool available() override { return true; }

    // The message the shell broadcasts when its taskbar has been made anew.
    UINT taskbarCreatedMessage() const { return m_taskbarCreated; }
    // The new taskbar knows nothing of the icons of the old one: an icon that is shown is added again,
    // or a resident program with a hidden window would be out of reach.
    void taskbarCreated();

  private:
    HWND m_window;
    UINT m_taskbarCreated;
    NOTIFYICONDATAW m_data{}; // the record of the last add
    bool m_shown = false;
};

} // namespace win
