// The floor of the Windows build at rest and at its start: a bare window with an icon in the
// notification area, linked with the program's manifest (Common Controls 6), that reads the volume labels
// of the same drives once a second, as the poll must, and does nothing else.
//   bare_labels LETTERS [rows]   "rows": with a drive row's controls for each, which load Common Controls 6
#include <windows.h>

#include <shellapi.h>

#include <string>

namespace {

std::wstring g_letters;

void readLabels() {
    for (const wchar_t letter : g_letters) {
        const wchar_t root[] = {letter, L':', L'\\', L'\0'};
        wchar_t name[MAX_PATH + 1] = {};
        wchar_t fileSystem[MAX_PATH + 1] = {};
        DWORD serial = 0, maxComponent = 0, flags = 0;
        // An empty drive must not bring up the system's "insert a disk" box, as in the program.
        DWORD previousMode = 0;
        SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
        GetVolumeInformationW(root, name, MAX_PATH + 1, &serial, &maxComponent, &flags, fileSystem,
                              MAX_PATH + 1);
        SetThreadErrorMode(previousMode, nullptr);
    }
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        readLabels();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void addRows(HWND window, HINSTANCE instance) {
    const auto control = [&](const wchar_t* kind, const wchar_t* text, DWORD style, int left, int top,
                             int width) {
        return CreateWindowExW(0, kind, text, WS_CHILD | WS_VISIBLE | style, left, top, width,
                               style ? 49 : 17, window, nullptr, instance, nullptr);
    };
    for (int top = 0; top < 49 * static_cast<int>(g_letters.size()); top += 49) {
        SendMessageW(control(L"BUTTON", L"", BS_ICON, 0, top, 49), BM_SETIMAGE, IMAGE_ICON,
                     reinterpret_cast<LPARAM>(LoadIconW(nullptr, IDI_APPLICATION)));
        control(L"STATIC", L"DISC", 0, 53, top, 60);
        control(L"STATIC", L"(M:)", 0, 53, top + 20, 30);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    const std::wstring arguments = commandLine;
    g_letters = arguments.substr(0, arguments.find(L' '));
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"BareLabels";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, L"BareLabels", L"bare", WS_OVERLAPPEDWINDOW, 0, 0, 140,
                                  100, nullptr, nullptr, instance, nullptr);
    NOTIFYICONDATAW icon{};
    icon.cbSize = NOTIFYICONDATAW_V1_SIZE;
    icon.hWnd = window;
    icon.uFlags = NIF_ICON | NIF_TIP;
    icon.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    lstrcpynW(icon.szTip, L"bare", 64);
    Shell_NotifyIconW(NIM_ADD, &icon);
    if (arguments.ends_with(L" rows"))
        addRows(window, instance);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    readLabels();
    SetTimer(window, 1, 1000, nullptr);
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    Shell_NotifyIconW(NIM_DELETE, &icon);
    return 0;
}
