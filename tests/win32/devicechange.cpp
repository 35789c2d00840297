// Tells every top-level window that a volume arrived or went, as the system does when a disc is put
// into a drive or taken out (Wine's mount manager does not when a drive is redefined).
//   devicechange arrival|removal LETTER [ROW TEXT]
// With ROW and TEXT it then waits, up to 20 seconds (a third of the test's poll interval), until the drive
// window's volume label of that row reads TEXT, and prints "ms=N": how long after the news the row showed it
// (status 1 when it never did).
#include "win32/Win32MainView.h"

#include <dbt.h>

#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <string>

namespace {

std::wstring rowText(int row) {
    HWND window = FindWindowW(win::kMainWindowClass, nullptr);
    HWND label = window ? GetDlgItem(window, win::kVolumeLabelIdBase + row) : nullptr;
    if (!label)
        return L"\x01"; // no such row: never equal to a label
    wchar_t text[256] = {};
    GetWindowTextW(label, text, 256);
    return text;
}

double secondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now{}, frequency{};
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if ((argc != 3 && argc != 5) || !std::iswalpha(argv[2][0]) ||
        (std::wcscmp(argv[1], L"arrival") != 0 && std::wcscmp(argv[1], L"removal") != 0)) {
        std::fputs("usage: devicechange arrival|removal LETTER [ROW TEXT]\n", stderr);
        return 2;
    }
    DEV_BROADCAST_VOLUME volume{};
    volume.dbcv_size = sizeof volume;
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    volume.dbcv_unitmask = 1u << (std::towupper(argv[2][0]) - L'A');
    const WPARAM event = std::wcscmp(argv[1], L"arrival") == 0 ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE;
    LARGE_INTEGER start{};
    QueryPerformanceCounter(&start);
    // To every top-level window, as a sent message: the structure travels with it.
    DWORD_PTR result = 0;
    const LRESULT sent =
        SendMessageTimeoutW(HWND_BROADCAST, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&volume),
                            SMTO_ABORTIFHUNG, 5000, &result);
    if (sent == 0)
        return 1;
    if (argc == 3)
        return 0;
    const int row = _wtoi(argv[3]);
    while (rowText(row) != argv[4]) {
        if (secondsSince(start) > 20)
            return 1;
        Sleep(1);
    }
    std::printf("ms=%.1f\n", secondsSince(start) * 1000);
    return 0;
}
