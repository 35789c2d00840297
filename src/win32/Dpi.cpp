#include "win32/Dpi.h"

#include "win32/GuiHandles.h"

#include <array>
#include <cmath>

namespace win {
namespace {

// Looked up at run time: Windows 7 and 8 lack both, and a static import would keep the program from
// starting there.
template <class Function> Function user32Function(const char* name) {
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    // Through void (*)(), which converts to and from any function pointer without a warning.
    return user32 ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(user32, name)))
                  : nullptr;
}

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

} // namespace

UINT systemDpi() {
    WindowDC screen(nullptr, nullptr);
    const int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

UINT windowDpi(HWND window) {
    static const auto getDpiForWindow = user32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    if (getDpiForWindow && window)
        if (const UINT dpi = getDpiForWindow(window); dpi > 0)
            return dpi;
    return systemDpi();
}

int systemMetric(int index, UINT dpi) {
    static const auto getSystemMetricsForDpi =
        user32Function<GetSystemMetricsForDpiFunction>("GetSystemMetricsForDpi");
    return getSystemMetricsForDpi ? getSystemMetricsForDpi(index, dpi) : GetSystemMetrics(index);
}

void outerRect(RECT& client, DWORD style, DWORD exStyle, UINT dpi) {
    static const auto adjustForDpi =
        user32Function<AdjustWindowRectExForDpiFunction>("AdjustWindowRectExForDpi");
    if (!adjustForDpi || !adjustForDpi(&client, style, FALSE, exStyle, dpi))
        AdjustWindowRectEx(&client, style, FALSE, exStyle);
}

UniqueFont makeFont(const std::wstring& face, double points, UINT dpi, bool bold) {
    const int height = -static_cast<int>(std::lround(points * dpi / 72));
    return UniqueFont(CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                  SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                  DEFAULT_PITCH | FF_DONTCARE, face.c_str()));
}

int buttonIconSize(UINT dpi) {
    // The sizes icon files carry between the design's 32 pixels and the largest a button holds.
    constexpr std::array kSizes{32, 40, 48, 64};
    const UINT wanted = 32 * dpi / kDefaultDpi;
    int size = kSizes.front();
    for (const int carried : kSizes)
        if (static_cast<UINT>(carried) <= wanted)
            size = carried;
    return size;
}

} // namespace win
