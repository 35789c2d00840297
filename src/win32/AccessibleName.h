#pragma once
// A control's name for screen readers given through the accessibility layer, not as its window text: a
// button that shows a picture alone would paint its window text where it has no picture.
#include <windows.h>

#include <string>

namespace win {

// The answer to WM_GETOBJECT (`wParam`, `lParam`) sent to `control`: for its client object, the system's
// standard object for the control with `name` as its name; 0 for any other object, which the control's
// default procedure then answers.
LRESULT namedAccessibleObject(HWND control, WPARAM wParam, LPARAM lParam, const std::wstring& name);

} // namespace win
