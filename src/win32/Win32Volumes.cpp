#include "win32/Win32Volumes.h"

#include "win32/Handles.h"
#include "win32/WideText.h"

namespace win {

std::string Win32Volumes::volumeLabel(const std::string& drivePath) {
    std::wstring root = toWide(drivePath);
    if (root.empty())
        return {};
    // The volume query needs the root folder ("E:\"); callers pass the letter and colon alone.
    if (root.back() != L'\\' && root.back() != L'/')
        root += L'\\';
    // An empty removable drive must not bring up the system's "insert a disk" box on every poll.
    DWORD previousMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
    wchar_t name[MAX_PATH + 1] = {};
    wchar_t fileSystem[MAX_PATH + 1] = {};
    DWORD serial = 0, maxComponent = 0, flags = 0;
    BOOL ok = GetVolumeInformationW(root.c_str(), name, MAX_PATH + 1, &serial, &maxComponent, &flags,
                                    fileSystem, MAX_PATH + 1);
    SetThreadErrorMode(previousMode, nullptr);
    if (!ok)
        return {};
    name[MAX_PATH] = L'\0';
    return toUtf8(name);
}

} // namespace win
