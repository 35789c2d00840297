#include "win32/Win32Menus.h"

#include "win32/GuiHandles.h"
#include "win32/WideText.h"

namespace win {
namespace {

// Where the hooked procedure finds the object that hooked the window.
constexpr wchar_t kHookProperty[] = L"TavimoroSystemMenu";

} // namespace

int Win32PopupMenu::track(const std::vector<port::MenuEntry>& items) {
    UniqueMenu menu(CreatePopupMenu());
    if (!menu)
        return 0;
    for (const port::MenuEntry& item : items) {
        if (item.separator)
            AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
        else
            AppendMenuW(menu.get(), MF_STRING, static_cast<UINT_PTR>(item.id), toWide(item.caption).c_str());
    }
    POINT at{};
    GetCursorPos(&at);
    // Without the owner in the foreground the menu would stay open when the user clicks elsewhere.
    SetForegroundWindow(m_owner);
    const int chosen = static_cast<int>(TrackPopupMenu(
        menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD, at.x, at.y, 0, m_owner, nullptr));
    // A second opening straight after this one would otherwise close at once.
    PostMessageW(m_owner, WM_NULL, 0, 0);
    return chosen;
}

Win32SystemMenu::~Win32SystemMenu() {
    if (m_previous && IsWindow(m_window))
        unhook();
}

void Win32SystemMenu::append(int flags, int id, const std::string& text) {
    HMENU menu = GetSystemMenu(m_window, FALSE);
    if (!menu)
        return;
    if (flags & port::kMenuSeparator) {
        AppendMenuW(menu, static_cast<UINT>(flags), static_cast<UINT_PTR>(id), nullptr);
        return;
    }
    AppendMenuW(menu, static_cast<UINT>(flags), static_cast<UINT_PTR>(id), toWide(text).c_str());
}

void Win32SystemMenu::hook(std::function<void(std::int32_t)> procedure) {
    m_procedure = std::move(procedure);
    if (m_previous || !IsWindow(m_window))
        return;
    SetPropW(m_window, kHookProperty, this);
    m_previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32SystemMenu::hookedProc)));
    if (!m_previous)
        RemovePropW(m_window, kHookProperty);
}

void Win32SystemMenu::unhook() {
    if (!m_previous)
        return;
    SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previous));
    RemovePropW(m_window, kHookProperty);
    m_previous = nullptr;
}

LRESULT CALLBACK Win32SystemMenu::hookedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<Win32SystemMenu*>(GetPropW(window, kHookProperty));
    if (!self || !self->m_previous)
        return DefWindowProcW(window, message, wParam, lParam);
    // Held here: the exit command unhooks, and destroys the window, from inside the procedure.
    const WNDPROC previous = self->m_previous;
    if (message == WM_SYSCOMMAND && self->m_procedure) {
        const std::function<void(std::int32_t)> procedure = self->m_procedure;
        procedure(static_cast<std::int32_t>(wParam));
    } else if (message == WM_NCDESTROY) {
        // The window goes while hooked: nothing is left to put back.
        RemovePropW(window, kHookProperty);
        self->m_previous = nullptr;
    }
    return CallWindowProcW(previous, window, message, wParam, lParam);
}

} // namespace win
