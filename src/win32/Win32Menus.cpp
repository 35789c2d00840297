#include "win32/Win32Menus.h"

#include "win32/GuiHandles.h"
#include "win32/WideText.h"

#include <cstdint>

namespace win {
namespace {

// Where the hooked procedure finds the object that hooked the window.
constexpr wchar_t kHookProperty[] = L"TavimoroSystemMenu";

// System commands below this bound are the program's own; the standard ones (size, move, close, ...)
// all lie at 0xF000 and above and reach only the window's own procedure.
constexpr std::int32_t kOwnCommandBound = 60000;

void appendItems(HMENU menu, const std::vector<port::MenuEntry>& items) {
    for (const port::MenuEntry& item : items) {
        const auto id = static_cast<UINT_PTR>(item.id);
        if (item.separator)
            AppendMenuW(menu, MF_SEPARATOR, id, nullptr);
        else
            AppendMenuW(menu, MF_STRING, id, toWide(item.caption).c_str());
    }
}

} // namespace

int Win32PopupMenu::open(const std::vector<port::MenuEntry>& items) {
    UniqueMenu menu(CreatePopupMenu());
    if (!menu)
        return 0;
    appendItems(menu.get(), items);
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
        remove();
}

void Win32SystemMenu::install(const std::vector<port::MenuEntry>& items, std::function<void(int)> chosen) {
    if (HMENU menu = GetSystemMenu(m_window, FALSE))
        appendItems(menu, items);
    m_chosen = std::move(chosen);
    if (m_previous || !IsWindow(m_window))
        return;
    SetPropW(m_window, kHookProperty, this);
    m_previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32SystemMenu::hookedProc)));
    if (!m_previous)
        RemovePropW(m_window, kHookProperty);
}

void Win32SystemMenu::remove() {
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
    // Held here: the exit command removes the menu, and destroys the window, from inside the procedure.
    const WNDPROC previous = self->m_previous;
    if (message == WM_SYSCOMMAND && static_cast<std::int32_t>(wParam) < kOwnCommandBound && self->m_chosen) {
        const std::function<void(int)> chosen = self->m_chosen;
        chosen(static_cast<int>(wParam));
    } else if (message == WM_NCDESTROY) {
        // The window goes while hooked: nothing is left to put back.
        RemovePropW(window, kHookProperty);
        self->m_previous = nullptr;
    }
    return CallWindowProcW(previous, window, message, wParam, lParam);
}

} // namespace win
