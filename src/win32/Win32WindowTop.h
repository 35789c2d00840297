#pragma once
// Keeps the main window in, or takes it out of, the topmost band with SetWindowPos.
#include "port/WindowTop.h"

#include <windows.h>

namespace win {

class Win32WindowTop : public port::IWindowTop {
  public:
    explicit Win32WindowTop(HWND window) : m_window(window) {}
    void setTopmost(bool topmost) override;
    bool desktopDecides() override { return false; }

  private:
    HWND m_window;
};

} // namespace win
