#pragma once
// The C++ object a window belongs to: CreateWindowExW's last argument, kept in the window's user data
// from WM_NCCREATE on, so that the class's window procedure can hand each message to its object.
#include <windows.h>

namespace win {

// Stores the owner on WM_NCCREATE; the owner of `window`, or null before WM_NCCREATE.
template <class Owner> Owner* windowOwner(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    return reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

} // namespace win
