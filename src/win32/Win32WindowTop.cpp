#include "win32/Win32WindowTop.h"

namespace win {

void Win32WindowTop::setTopmost(bool topmost) {
    // Every move of the window makes the system measure its frame anew: a window that already is what
    // it is told to be is left alone.
    if (((GetWindowLongW(m_window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0) == topmost)
        return;
    // Wine activates a hidden window that SetWindowPos does not tell to stay inactive.
    const UINT flags = SWP_NOMOVE | SWP_NOSIZE | (IsWindowVisible(m_window) ? 0 : SWP_NOACTIVATE);
    SetWindowPos(m_window, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, flags);
}

} // namespace win
