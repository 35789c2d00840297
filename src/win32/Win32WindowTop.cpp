#include "win32/Win32WindowTop.h"

namespace win {

void Win32WindowTop::setTopmost(bool topmost, const port::PixelRect& rect) {
    // Wine activates a hidden window that SetWindowPos does not tell to stay inactive.
    const UINT flags = IsWindowVisible(m_window) ? 0 : SWP_NOACTIVATE;
    SetWindowPos(m_window, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, rect.x, rect.y, rect.cx, rect.cy, flags);
}

} // namespace win
