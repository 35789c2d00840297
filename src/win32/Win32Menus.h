#pragma once
// The window's menus on Win32: the pop-up menu, drawn from its entries each time it opens, and the
// system menu with its hooked window procedure.
#include "port/Menus.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace win {

class Win32PopupMenu : public port::IPopupMenu {
  public:
    // `owner` is the window the menu belongs to (it may be hidden).
    explicit Win32PopupMenu(HWND owner) : m_owner(owner) {}
    int track(const std::vector<port::MenuEntry>& items) override;

  private:
    HWND m_owner;
};

class Win32SystemMenu : public port::ISystemMenu {
  public:
    explicit Win32SystemMenu(HWND window) : m_window(window) {}
    ~Win32SystemMenu() override;
    Win32SystemMenu(const Win32SystemMenu&) = delete;
    Win32SystemMenu& operator=(const Win32SystemMenu&) = delete;

    void append(int flags, int id, const std::string& text) override;
    void hook(std::function<void(std::int32_t wParam)> procedure) override;
    void unhook() override;

  private:
    static LRESULT CALLBACK hookedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window;
    WNDPROC m_previous = nullptr; // null while nothing is hooked
    std::function<void(std::int32_t)> m_procedure;
};

} // namespace win
