// Drives the program's drive window from outside, as a user would, and reports what it shows.
//   driver dump                      the window and its controls, one line each (see below)
//   driver wait TEXT SECONDS         dumps until a line contains TEXT (status 1 when it never does)
//   driver gone SECONDS              waits until no drive window exists (status 1 when one stays)
//   driver click ROW                 a real mouse click (SendInput) on the button of a row
//   driver key VK [ROW]              posts a key press to the button of a row, or to the window (ROW 0
//                                    or none)
// Lines, UTF-8, coordinates in pixels of the window's client area:
//   window visible=1 title=T client=W,H
//   button ROW visible=1 enabled=1 icon=1 rect=X,Y,W,H
//   volume ROW visible=1 rect=X,Y,W,H text=T        (lbl_VolumeName)
//   drive ROW visible=1 rect=X,Y,W,H text=T         (lbl_Drive)
// Element 0 of each control array (the hidden template) is left out.
#include "win32/WideText.h"
#include "win32/Win32MainView.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

HWND findWindow() {
    return FindWindowW(win::kMainWindowClass, nullptr);
}

std::string windowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return win::toUtf8(text);
}

struct Line {
    int order;
    std::string text;
};

BOOL CALLBACK collect(HWND child, LPARAM param) {
    auto& lines = *reinterpret_cast<std::vector<Line>*>(param);
    const int id = GetDlgCtrlID(child);
    const char* kind = nullptr;
    int row = 0;
    if (id > win::kButtonIdBase && id < win::kVolumeLabelIdBase) {
        kind = "button";
        row = id - win::kButtonIdBase;
    } else if (id > win::kVolumeLabelIdBase && id < win::kDriveLabelIdBase) {
        kind = "volume";
        row = id - win::kVolumeLabelIdBase;
    } else if (id > win::kDriveLabelIdBase && id < win::kDriveMenuIdBase) {
        kind = "drive";
        row = id - win::kDriveLabelIdBase;
    }
    if (!kind)
        return TRUE;
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    char head[200];
    std::snprintf(head, sizeof head, "%s %d visible=%d", kind, row,
                  (GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) ? 1 : 0);
    char rect[100];
    std::snprintf(rect, sizeof rect, "rect=%ld,%ld,%ld,%ld", r.left, r.top, r.right - r.left,
                  r.bottom - r.top);
    std::string line = head;
    if (kind[0] == 'b') {
        const bool icon = SendMessageW(child, BM_GETIMAGE, IMAGE_ICON, 0) != 0;
        line += std::string(" enabled=") + (IsWindowEnabled(child) ? "1" : "0") +
                " icon=" + (icon ? "1" : "0") + " " + rect;
    } else {
        line += std::string(" ") + rect + " text=" + windowText(child);
    }
    const int kindOrder = kind[0] == 'b' ? 0 : kind[0] == 'v' ? 1 : 2;
    lines.push_back({row * 3 + kindOrder, line});
    return TRUE;
}

std::vector<std::string> dump() {
    std::vector<std::string> result;
    HWND window = findWindow();
    if (!window)
        return result;
    RECT client{};
    GetClientRect(window, &client);
    char head[100];
    std::snprintf(head, sizeof head,
                  "window visible=%d client=%ld,%ld title=", IsWindowVisible(window) ? 1 : 0, client.right,
                  client.bottom);
    result.push_back(head + windowText(window));
    std::vector<Line> lines;
    EnumChildWindows(window, collect, reinterpret_cast<LPARAM>(&lines));
    std::stable_sort(lines.begin(), lines.end(),
                     [](const Line& a, const Line& b) { return a.order < b.order; });
    for (const Line& line : lines)
        result.push_back(line.text);
    return result;
}

void print(const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

HWND rowButton(HWND window, int row) {
    return GetDlgItem(window, win::kButtonIdBase + row);
}

int click(int row) {
    HWND window = findWindow();
    HWND button = window ? rowButton(window, row) : nullptr;
    if (!button) {
        std::fprintf(stderr, "driver: no button in row %d\n", row);
        return 1;
    }
    SetForegroundWindow(window);
    RECT r{};
    GetWindowRect(button, &r);
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT inputs[3]{};
    for (INPUT& input : inputs) {
        input.type = INPUT_MOUSE;
        // Absolute coordinates run from 0 to 65535 over the primary screen.
        input.mi.dx = ((r.left + r.right) / 2 * 65536 + width / 2) / width;
        input.mi.dy = ((r.top + r.bottom) / 2 * 65536 + height / 2) / height;
        input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    }
    inputs[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
    inputs[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
    return SendInput(3, inputs, sizeof(INPUT)) == 3 ? 0 : 1;
}

int key(int virtualKey, int row) {
    HWND window = findWindow();
    HWND target = window && row > 0 ? rowButton(window, row) : window;
    if (!target) {
        std::fprintf(stderr, "driver: no window for the key\n");
        return 1;
    }
    const UINT scan = MapVirtualKeyW(static_cast<UINT>(virtualKey), MAPVK_VK_TO_VSC);
    PostMessageW(target, WM_KEYDOWN, static_cast<WPARAM>(virtualKey), static_cast<LPARAM>(1 | (scan << 16)));
    PostMessageW(target, WM_KEYUP, static_cast<WPARAM>(virtualKey),
                 static_cast<LPARAM>(1 | (scan << 16) | (1u << 30) | (1u << 31)));
    return 0;
}

// A key given as one letter or digit ("D"), or as a number ("0x20", "32").
int virtualKeyOf(const wchar_t* text) {
    if (text[0] && !text[1] && iswalnum(text[0]))
        return static_cast<int>(towupper(text[0]));
    return static_cast<int>(std::wcstol(text, nullptr, 0));
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"dump" && argc == 2) {
        const auto lines = dump();
        print(lines);
        return lines.empty() ? 1 : 0;
    }
    if (command == L"wait" && argc == 4) {
        const std::string wanted = win::toUtf8(argv[2]);
        const ULONGLONG deadline =
            GetTickCount64() + static_cast<ULONGLONG>(std::wcstod(argv[3], nullptr) * 1000);
        std::vector<std::string> lines;
        for (;;) {
            lines = dump();
            if (std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
                    return line.find(wanted) != std::string::npos;
                })) {
                print(lines);
                return 0;
            }
            if (GetTickCount64() > deadline)
                break;
            Sleep(100);
        }
        print(lines);
        std::fprintf(stderr, "driver: no line with [%s]\n", wanted.c_str());
        return 1;
    }
    if (command == L"gone" && argc == 3) {
        const ULONGLONG deadline =
            GetTickCount64() + static_cast<ULONGLONG>(std::wcstod(argv[2], nullptr) * 1000);
        while (findWindow()) {
            if (GetTickCount64() > deadline)
                return 1;
            Sleep(100);
        }
        return 0;
    }
    if (command == L"click" && argc == 3)
        return click(static_cast<int>(std::wcstol(argv[2], nullptr, 10)));
    if (command == L"key" && (argc == 3 || argc == 4))
        return key(virtualKeyOf(argv[2]),
                   argc == 4 ? static_cast<int>(std::wcstol(argv[3], nullptr, 10)) : 0);
    std::fputs("usage: driver dump | wait TEXT SECONDS | gone SECONDS | click ROW | key VK [ROW]\n", stderr);
    return 2;
}
