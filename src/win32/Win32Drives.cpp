#include "win32/Win32Drives.h"

#include "win32/Dispatch.h"
#include "win32/Handles.h"
#include "win32/WideText.h"
#include "win32/Win32FileSystem.h"

#include <windows.h>

#include <winioctl.h>

#include <string>

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

port::Result<void> Win32Drives::eject(char letter) {
    const auto refused = [](const std::string& reason) {
        return port::fail("ディスクを取り出せませんでした。\r\n" + reason);
    };
    const auto systemReason = [] {
        const DWORD code = GetLastError();
        const std::string text = toUtf8(systemText(HRESULT_FROM_WIN32(code)));
        return text.empty() ? "エラー " + std::to_string(code) : text;
    };
    const std::wstring volume = L"\\\\.\\" + std::wstring(1, static_cast<wchar_t>(letter)) + L":";
    const UniqueHandle drive(CreateFileW(volume.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         nullptr, OPEN_EXISTING, 0, nullptr));
    if (!drive.valid())
        return refused(systemReason());
    DWORD bytes = 0;
    // A program with a file open on the disc keeps the volume: nothing is ejected then.
    if (!DeviceIoControl(drive.get(), FSCTL_LOCK_VOLUME, nullptr, 0, nullptr, 0, &bytes, nullptr))
        return refused("ディスクのファイルを使っているプログラムがあります。(" + systemReason() + ")");
    DeviceIoControl(drive.get(), FSCTL_DISMOUNT_VOLUME, nullptr, 0, nullptr, 0, &bytes, nullptr);
    PREVENT_MEDIA_REMOVAL allow{FALSE};
    DeviceIoControl(drive.get(), IOCTL_STORAGE_MEDIA_REMOVAL, &allow, sizeof allow, nullptr, 0, &bytes,
                    nullptr);
    if (!DeviceIoControl(drive.get(), IOCTL_STORAGE_EJECT_MEDIA, nullptr, 0, nullptr, 0, &bytes, nullptr))
        return refused(systemReason());
    return {};
}

} // namespace win
