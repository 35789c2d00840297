#include "win32/Win32MessageBox.h"

#include "win32/Handles.h"
#include "win32/WideText.h"

namespace win {

void Win32MessageBox::show(const std::string& text, const std::string& caption, port::MessageIcon icon) {
    UINT style = MB_OK;
    switch (icon) {
    case port::MessageIcon::Information:
        style |= MB_ICONINFORMATION;
        break;
    case port::MessageIcon::Exclamation:
        style |= MB_ICONEXCLAMATION;
        break;
    case port::MessageIcon::Critical:
        style |= MB_ICONERROR;
        break;
    case port::MessageIcon::None:
        break;
    }
    // Owned by the thread's active window, so that the box is modal to the program's window; without one
    // (a launch from the command line) the box asks to come to the front by itself.
    HWND owner = GetActiveWindow();
    if (!owner)
        style |= MB_SETFOREGROUND;
    MessageBoxW(owner, toWide(text).c_str(), toWide(caption).c_str(), style);
}

} // namespace win
