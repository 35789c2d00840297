#include "win32/Win32WindowTop.h"

namespace win {

void Win32WindowTop::setTopmost(bool topmost) {
    // Wine activates a hidden window that SetWindowPos does not tell to stay inactive.
    const UINT flags = SWP_NOMOVE | SWP_NOSIZE | (IsWindowVisible(m_window) ? 0 : SWP_NOACTIVATE);
    SetWindowPos(m_window, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, flags);
}

} // namespace win
