#pragma once
// The window's menus on Win32: the pop-up menu, drawn from its entries each time it opens, and the
// program's commands in the system menu, reached through a replaced window procedure.
#include "port/Menus.h"

#include <windows.h>

#include <functional>
#include <vector>

namespace win {

class Win32PopupMenu : public port::IPopupMenu {
  public:
    // `owner` is the window the menu belongs to (it may be hidden).
    explicit Win32PopupMenu(HWND owner) : m_owner(owner) {}
    int open(const std::vector<port::MenuEntry>& items) override;

  private:
    HWND m_owner;
};

class Win32SystemMenu : public port::ISystemMenu {
  public:
    explicit Win32SystemMenu(HWND window) : m_window(window) {}
    ~Win32SystemMenu() override;
    Win32SystemMenu(const Win32SystemMenu&) = delete;
    Win32SystemMenu& operator=(const Win32SystemMenu&) = delete;

    void install(const std::vector<port::MenuEntry>& items, std::function<void(int id)> chosen) override;
    void remove() override;

  private:
    static LRESULT CALLBACK hookedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window;
    WNDPROC m_previous = nullptr; // null while nothing is hooked
    std::function<void(int)> m_chosen;
};

} // namespace win
