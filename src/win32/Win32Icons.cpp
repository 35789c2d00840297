#include "win32/Win32Icons.h"

#include "resource.h"
#include "win32/Dpi.h"
#include "win32/WideText.h"

#include <shlobj.h>

namespace win {
namespace {

port::Result<std::unique_ptr<port::IPicture>> pictureOf(UniqueIcon icon, const std::string& file) {
    if (!icon)
        return port::fail("no icon in " + file);
    return std::make_unique<Win32Picture>(std::move(icon));
}

} // namespace

UniqueIcon loadProgramIcon(HINSTANCE instance, int width, int height) {
    // Without LR_SHARED the handle is a copy of our own, so destroying it is right.
    const UINT flags = (width == 0 && height == 0) ? LR_DEFAULTSIZE : 0;
    return UniqueIcon(static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDI_TAVIMORO), IMAGE_ICON, width, height, flags)));
}

WindowIcons setWindowIcons(HINSTANCE instance, HWND window, UINT dpi) {
    WindowIcons icons{
        loadProgramIcon(instance, systemMetric(SM_CXICON, dpi), systemMetric(SM_CYICON, dpi)),
        loadProgramIcon(instance, systemMetric(SM_CXSMICON, dpi), systemMetric(SM_CYSMICON, dpi))};
    if (window) {
        SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icons.big.get()));
        SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icons.little.get()));
    }
    return icons;
}

port::Result<std::unique_ptr<port::IPicture>> Win32Icons::programFileIcon(const std::string& file, int index,
                                                                          bool small) {
    const std::wstring path = toWide(file);
    if (path.empty())
        return port::fail("no icon file named");
    const UINT dpi = m_dpi();
    const int size = small ? systemMetric(SM_CXSMICON, dpi) : buttonIconSize(dpi);
    HICON handle = nullptr;
    // The shell picks the image of the group that fits the size best. A negative index names a
    // resource id; it goes to the shell unchanged. The handle is taken only from a success: Wine's
    // ExtractIconExW left a stray value in it for a file without icons.
    if (SHDefExtractIconW(path.c_str(), index, 0, &handle, nullptr,
                          static_cast<UINT>(MAKELONG(size, size))) != S_OK)
        return port::fail("no icon " + std::to_string(index) + " in " + file);
    return pictureOf(UniqueIcon(handle), file);
}

port::Result<std::unique_ptr<port::IPicture>> Win32Icons::iconFile(const std::string& file) {
    const std::wstring path = toWide(file);
    if (path.empty())
        return port::fail("no icon file named");
    const int size = buttonIconSize(m_dpi());
    return pictureOf(UniqueIcon(static_cast<HICON>(
                         LoadImageW(nullptr, path.c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE))),
                     file);
}

port::Result<std::unique_ptr<port::IPicture>> Win32Icons::programIcon() {
    const int size = buttonIconSize(m_dpi());
    // Pictures of an earlier size keep their own handle alive.
    if (!m_programIcon || !*m_programIcon || size != m_programIconSize) {
        UniqueIcon icon = loadProgramIcon(m_instance, size, size);
        if (!icon)
            return port::fail("the program's icon resource cannot be loaded");
        m_programIcon = std::make_shared<const UniqueIcon>(std::move(icon));
        m_programIconSize = size;
    }
    return std::make_unique<Win32Picture>(m_programIcon);
}

} // namespace win
