#include "win32/Win32Drives.h"

#include "drives/DiscImage.h"
#include "win32/Dispatch.h"
#include "win32/Handles.h"
#include "win32/WideText.h"
#include "win32/Win32FileSystem.h"

#include <windows.h>

#include <shellapi.h>
#include <winioctl.h>

#include <string>

namespace win {

namespace {

// How long a mount may take, from the shell's answer to the new drive's volume being readable.
constexpr DWORD kImageMountMs = 20000;

// The CD-ROM drives there are, one bit a letter from A:.
DWORD cdromDrives(DWORD present) {
    DWORD cdroms = 0;
    for (int i = 0; i < 26; ++i) {
        const wchar_t root[] = {static_cast<wchar_t>(L'A' + i), L':', L'\\', L'\0'};
        if ((present & (DWORD{1} << i)) && GetDriveTypeW(root) == DRIVE_CDROM)
            cdroms |= DWORD{1} << i;
    }
    return cdroms;
}

std::string reasonOf(DWORD code) {
    const std::string text = toUtf8(systemText(HRESULT_FROM_WIN32(code)));
    return text.empty() ? "エラー " + std::to_string(code) : text;
}

bool holdsDiscFileSystem(const std::wstring& path) {
    const UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid() || GetFileType(file.get()) != FILE_TYPE_DISK)
        return false;
    for (int sector = 0; sector < drives::kVolumeDescriptorsRead; ++sector) {
        const auto at =
            static_cast<ULONGLONG>(drives::kFirstVolumeDescriptor + sector * drives::kDiscSector + 1);
        OVERLAPPED where{};
        where.Offset = static_cast<DWORD>(at);
        where.OffsetHigh = static_cast<DWORD>(at >> 32);
        char identifier[5];
        DWORD read = 0;
        if (!ReadFile(file.get(), identifier, sizeof identifier, &read, &where) || read != sizeof identifier)
            return false;
        if (drives::namesDiscFileSystem({identifier, sizeof identifier}))
            return true;
    }
    return false;
}

} // namespace

port::Result<std::vector<char>> Win32Drives::cdromLetters() {
    const DWORD present = GetLogicalDrives();
    if (present == 0)
        return port::fail("the drives cannot be listed (error " + std::to_string(GetLastError()) + ")");
    const DWORD cdroms = cdromDrives(present);
    std::vector<char> letters;
    for (int i = 0; i < 26; ++i)
        if (cdroms & (DWORD{1} << i))
            letters.push_back(static_cast<char>('A' + i));
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
    const auto systemReason = [] { return reasonOf(GetLastError()); };
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

port::Result<std::string, port::ImageRefusal> Win32Drives::openImage(const std::string& path) {
    const std::wstring file = toWide(path);
    if (!holdsDiscFileSystem(file))
        return port::ImageRefusal{true, ""};
    const std::string refused = "ディスク イメージを開けませんでした。\r\n";
    const DWORD before = cdromDrives(GetLogicalDrives());
    // The shell's own verb for an image: from Windows 8 on, it mounts the image as a new CD-ROM drive.
    // Where it has none, the shell must not ask the user what to open the file with instead.
    // The shell's verbs may be carried out by COM objects, which want the caller in an apartment.
    enterApartment();
    SHELLEXECUTEINFOW request{};
    request.cbSize = sizeof request;
    request.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    request.lpVerb = L"mount";
    request.lpFile = file.c_str();
    request.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&request)) {
        const DWORD code = GetLastError();
        if (code == ERROR_NO_ASSOCIATION || reinterpret_cast<INT_PTR>(request.hInstApp) == SE_ERR_NOASSOC)
            return port::ImageRefusal{
                false, refused + "この Windows にはイメージをドライブとしてつなぐ機能がありません "
                                 "(Windows 8 以降の機能です)。"};
        return port::ImageRefusal{false, refused + reasonOf(code)};
    }
    // The mount goes on after the verb returns: the CD-ROM drive that comes then is the image's, once
    // its volume can be read.
    for (DWORD waited = 0; waited < kImageMountMs; waited += 100) {
        if (const DWORD added = cdromDrives(GetLogicalDrives()) & ~before) {
            int index = 0;
            while (!(added & (DWORD{1} << index)))
                ++index;
            const std::string root = std::string(1, static_cast<char>('A' + index)) + ":\\";
            QuietDriveErrors quiet;
            if (GetVolumeInformationW(toWide(root).c_str(), nullptr, 0, nullptr, nullptr, nullptr, nullptr,
                                      0))
                return root;
        }
        Sleep(100);
    }
    return port::ImageRefusal{false, refused + "イメージのドライブが現れませんでした。"};
}

} // namespace win
