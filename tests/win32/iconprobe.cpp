// A message hook the test driver places in the program's thread: it reads the size of a drive button's
// icon where the icon lives, since Wine keeps an icon's images from every other process.
#include "iconprobe.h"
#include "win32/GuiHandles.h"

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
        }
        const auto answer =
            static_cast<INT_PTR>((message.wParam << 16) | static_cast<WPARAM>(width & 0xFFFF));
        SetPropW(message.hwnd, kIconProbeProperty, reinterpret_cast<HANDLE>(answer));
    }
    return CallNextHookEx(nullptr, code, removed, lParam);
}
