#include "win32/Win32Drives.h"

#include "win32/WideText.h"
#include "win32/Win32FileSystem.h"

#include <windows.h>

namespace win {

port::Result<std::vector<char>> Win32Drives::cdromLetters() {
    const DWORD present = GetLogicalDrives();
    if (present == 0)
        return port::fail("the drives cannot be listed (error " + std::to_string(GetLastError()) + ")");
    std::vector<char> letters;
    for (int i = 0; i < 26; ++i) {
        if (!(present & (DWORD{1} << i)))
            continue;
        const char letter = static_cast<char>('A' + i);
        const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', L'\0'};
        if (GetDriveTypeW(root) == DRIVE_CDROM)
            letters.push_back(letter);
    }
    return letters;
}

port::Disc Win32Drives::disc(char letter) {
    const std::string root = std::string(1, letter) + ":\\";
    const std::wstring wideRoot = toWide(root);
    wchar_t name[MAX_PATH + 1] = {};
    wchar_t fileSystem[MAX_PATH + 1] = {};
    DWORD serial = 0, maxComponent = 0, flags = 0;
    BOOL ok = FALSE;
    {
        QuietDriveErrors quiet;
        ok = GetVolumeInformationW(wideRoot.c_str(), name, MAX_PATH + 1, &serial, &maxComponent, &flags,
                                   fileSystem, MAX_PATH + 1);
    }
    name[MAX_PATH] = L'\0';
    return {ok ? toUtf8(name) : std::string(), root};
}

port::Result<void> Win32Drives::mount(char letter) {
    return port::fail("ドライブ " + std::string(1, letter) + ": のディスクは Windows が読み込みます。");
}

} // namespace win
