#pragma once
// Move-only owners of the window-system handles: icons, fonts, menus, windows, device contexts,
// dropped-file lists and libraries loaded at run time.
#include <windows.h>

#include <shellapi.h>

#include <utility>

namespace win {

// One handle of a kind released by one function; null means empty.
template <class H, class Traits> class UniqueGui {
  public:
    UniqueGui() = default;
    explicit UniqueGui(H handle) : m_handle(handle) {}
    UniqueGui(const UniqueGui&) = delete;
    UniqueGui& operator=(const UniqueGui&) = delete;
    UniqueGui(UniqueGui&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    UniqueGui& operator=(UniqueGui&& other) noexcept {
        if (this != &other) {
            reset();
            m_handle = std::exchange(other.m_handle, nullptr);
        }
        return *this;
    }
    ~UniqueGui() { reset(); }

    H get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    void reset(H handle = nullptr) {
        if (m_handle)
            Traits::close(m_handle);
        m_handle = handle;
    }
    // Gives the handle up without releasing it (the system has already destroyed it).
    H release() { return std::exchange(m_handle, nullptr); }

  private:
    H m_handle = nullptr;
};

struct IconTraits {
    static void close(HICON h) { DestroyIcon(h); }
};
struct FontTraits {
    static void close(HFONT h) { DeleteObject(h); }
};
struct MenuTraits {
    static void close(HMENU h) { DestroyMenu(h); }
};
struct WindowTraits {
    static void close(HWND h) { DestroyWindow(h); }
};
struct DropTraits {
    static void close(HDROP h) { DragFinish(h); }
};
struct ModuleTraits {
    static void close(HMODULE h) { FreeLibrary(h); }
};

using UniqueIcon = UniqueGui<HICON, IconTraits>;
using UniqueFont = UniqueGui<HFONT, FontTraits>;
using UniqueMenu = UniqueGui<HMENU, MenuTraits>;
using UniqueWindow = UniqueGui<HWND, WindowTraits>;
using UniqueDrop = UniqueGui<HDROP, DropTraits>;
using UniqueModule = UniqueGui<HMODULE, ModuleTraits>; // a library loaded at run time

// A window's device context with one font selected; both undone when it goes.
class WindowDC {
  public:
    WindowDC(HWND window, HFONT font) : m_window(window), m_dc(GetDC(window)) {
        if (m_dc && font)
            m_oldFont = SelectObject(m_dc, font);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() {
        if (!m_dc)
            return;
        if (m_oldFont)
            SelectObject(m_dc, m_oldFont);
        ReleaseDC(m_window, m_dc);
    }
    HDC get() const { return m_dc; }

  private:
    HWND m_window;
    HDC m_dc;
    HGDIOBJ m_oldFont = nullptr;
};

} // namespace win
