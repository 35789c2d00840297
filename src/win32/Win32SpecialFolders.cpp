#include "win32/Win32SpecialFolders.h"

#include "win32/Handles.h"
#include "win32/WideText.h"

#include <shlobj.h>

namespace win {

port::Result<std::string> Win32SpecialFolders::startMenu() {
    CoTaskMem<ITEMIDLIST> list;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_STARTMENU, list.put())) || !list.get())
        return port::fail("the shell does not know the Start-menu folder");
    wchar_t path[MAX_PATH + 1] = {};
    if (!SHGetPathFromIDListW(list.get(), path))
        return port::fail("the Start-menu folder has no file system path");
    path[MAX_PATH] = L'\0';
    return toUtf8(path);
}

} // namespace win
