// A message hook the test driver places in the program's thread: it reads the size of a drive button's
// icon where the icon lives, since Wine keeps an icon's images from every other process.
#include "iconprobe.h"
#include "win32/GuiHandles.h"

#include <vector>

namespace {

// The colour of the middle pixel of an icon's colour image, 0xRRGGBB.
INT_PTR centreColour(HBITMAP image, LONG width) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -width, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<DWORD> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(width));
    const win::WindowDC screen(nullptr, nullptr);
    if (!image || width <= 0 ||
        GetDIBits(screen.get(), image, 0, static_cast<UINT>(width), pixels.data(), &info, DIB_RGB_COLORS) ==
            0)
        return 0;
    return static_cast<INT_PTR>(pixels[static_cast<std::size_t>(width / 2 * width + width / 2)] & 0xFFFFFF);
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK probeIcon(int code, WPARAM removed, LPARAM lParam) {
    const auto& message = *reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && removed == PM_REMOVE &&
        message.message == RegisterWindowMessageW(kIconProbeMessage)) {
        const auto icon = reinterpret_cast<HICON>(SendMessageW(message.hwnd, BM_GETIMAGE, IMAGE_ICON, 0));
        ICONINFO info{};
        LONG width = 0;
        if (icon && GetIconInfo(icon, &info)) {
            const win::UniqueBitmap mask(info.hbmMask);
            const win::UniqueBitmap colour(info.hbmColor);
            BITMAP bitmap{};
            if (GetObjectW(mask.get(), sizeof bitmap, &bitmap))
                width = bitmap.bmWidth;
            SetPropW(message.hwnd, kIconColourProperty,
                     reinterpret_cast<HANDLE>(centreColour(colour.get(), width)));
        }
        const auto answer =
            static_cast<INT_PTR>((message.wParam << 16) | static_cast<WPARAM>(width & 0xFFFF));
        SetPropW(message.hwnd, kIconProbeProperty, reinterpret_cast<HANDLE>(answer));
    }
    return CallNextHookEx(nullptr, code, removed, lParam);
}
