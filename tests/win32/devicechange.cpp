// Tells every top-level window that a volume arrived or went, as the system does when a disc is put
// into a drive or taken out (Wine's mount manager does not when a drive is redefined).
//   devicechange arrival|removal LETTER
#include <windows.h>

#include <dbt.h>

#include <cstdio>
#include <cwchar>
#include <cwctype>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3 || !std::iswalpha(argv[2][0]) ||
        (std::wcscmp(argv[1], L"arrival") != 0 && std::wcscmp(argv[1], L"removal") != 0)) {
        std::fputs("usage: devicechange arrival|removal LETTER\n", stderr);
        return 2;
    }
    DEV_BROADCAST_VOLUME volume{};
    volume.dbcv_size = sizeof volume;
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    volume.dbcv_unitmask = 1u << (std::towupper(argv[2][0]) - L'A');
    const WPARAM event = std::wcscmp(argv[1], L"arrival") == 0 ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE;
    // To every top-level window, as a sent message: the structure travels with it.
    DWORD_PTR result = 0;
    const LRESULT sent =
        SendMessageTimeoutW(HWND_BROADCAST, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&volume),
                            SMTO_ABORTIFHUNG, 5000, &result);
    return sent != 0 ? 0 : 1;
}
