#pragma once
// The DPI a window is drawn at and what follows from it: system metrics, the icon sizes and the fonts.
#include "win32/GuiHandles.h"

#include <string>

namespace win {

inline constexpr UINT kDefaultDpi = 96;

// The DPI of the monitor a window is on, where the system tells it per window (Windows 10 1607 and
// later); else the system's DPI.
UINT windowDpi(HWND window);
// The system's DPI: the one the taskbar and its notification area draw at.
UINT systemDpi();
// A system metric at a DPI; before Windows 10 1607 the system's own value, which is at the system DPI.
int systemMetric(int index, UINT dpi);
// Widens a client rectangle to the window's outer one, with the frame as thick as it is drawn at `dpi`.
void outerRect(RECT& client, DWORD style, DWORD exStyle, UINT dpi);
// A drive button's icon at a DPI: 32 pixels scaled, down to the nearest size icons are drawn at.
int buttonIconSize(UINT dpi);
// A face at a size in points, drawn at `dpi`, in the Japanese character set of the program's texts.
UniqueFont makeFont(const std::wstring& face, double points, UINT dpi, bool bold = false);

} // namespace win
