#include "win32/Win32Icons.h"

#include "resource.h"
#include "win32/WideText.h"

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

port::Result<std::unique_ptr<port::IPicture>> Win32Icons::programFileIcon(const std::string& file, int index,
                                                                          bool small) {
    const std::wstring path = toWide(file);
    if (path.empty())
        return port::fail("no icon file named");
    HICON largeHandle = nullptr;
    HICON smallHandle = nullptr;
    // A negative index names a resource id; it goes to the shell unchanged.
    ExtractIconExW(path.c_str(), index, &largeHandle, &smallHandle, 1);
    // Both handles are owned at once; the one not given away is destroyed when its owner goes.
    UniqueIcon large(largeHandle);
    UniqueIcon little(smallHandle);
    return pictureOf(small ? std::move(little) : std::move(large), file);
}

port::Result<std::unique_ptr<port::IPicture>> Win32Icons::iconFile(const std::string& file) {
    const std::wstring path = toWide(file);
    if (path.empty())
        return port::fail("no icon file named");
    return pictureOf(UniqueIcon(static_cast<HICON>(LoadImageW(nullptr, path.c_str(), IMAGE_ICON, 0, 0,
                                                              LR_LOADFROMFILE | LR_DEFAULTSIZE))),
                     file);
}

port::Result<std::unique_ptr<port::IPicture>> Win32Icons::programIcon() {
    if (!m_programIcon || !*m_programIcon) {
        UniqueIcon icon = loadProgramIcon(m_instance, 0, 0);
        if (!icon)
            return port::fail("the program's icon resource cannot be loaded");
        m_programIcon = std::make_shared<const UniqueIcon>(std::move(icon));
    }
    return std::make_unique<Win32Picture>(m_programIcon);
}

} // namespace win
