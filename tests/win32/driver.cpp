// Drives the program's windows from outside, as a user would, and reports what they show.
//   driver dump                      the drive window and its controls, one line each (see below)
//   driver wait TEXT SECONDS         dumps until a line contains TEXT (status 1 when it never does)
//   driver gone SECONDS              waits until no drive window exists (status 1 when one stays)
//   driver click ROW                 a real mouse click (SendInput) on the button of a row
//   driver key VK [ROW]              posts a key press to the button of a row, or to the window (ROW 0
//                                    or none)
//   driver input TARGET KEY...       real key presses (SendInput), each once TARGET can take it:
//                                    "window" (the drive window, brought to the front), "dialog" (the
//                                    open dialog, the same) or "menu" (the open menu). A KEY is a letter
//                                    or a name (space tab return escape home end up down left right
//                                    alt), with "alt+" / "shift+" in front to hold those; "hold5:p"
//                                    holds P down for five key-down messages.
// Clicks, the pointer and keys wait up to 10 s for their target's state; a failure names what was
// missing.
//   driver close                     the drive window's close box (WM_SYSCOMMAND SC_CLOSE)
//   driver menu SECONDS              waits for an open pop-up menu: "menu rect=X,Y,W,H" (status 1: none)
//   driver nomenu SECONDS            waits until no pop-up menu is open (status 1 when one stays)
//   driver dialog CAPTION SECONDS    waits for the program's dialog with that caption and dumps it
//   driver nodialog SECONDS          waits until no dialog of the program is shown
//   driver press ID                  a real mouse click on the open dialog's control ID
//   driver hover ID                  moves the mouse (SendInput) onto the open dialog's control ID
//   driver tooltip SECONDS           waits for the open dialog's tooltip: "tooltip text=T" (status 1:
//                                    none)
//   driver closedialog               the open dialog's close box
//   driver msgbox TITLE SECONDS      waits for a message box with that title: "msgbox text=T" (lines
//                                    joined by "|"); status 1 when none comes
//   driver msgboxok TITLE            presses OK in that message box
//   driver untray                    takes the program's icon out of the notification area behind its
//                                    back, as a restarting shell loses it
//   driver taskbarcreated            broadcasts the message of a newly made taskbar
//   driver dpichanged DPI X Y W H    WM_DPICHANGED with that suggested rectangle (a move to such a monitor)
//   driver names                     "name KIND ID text=T": the MSAA names of the shown controls of the drive
//                                    window and the open dialog; status 1 when a button or box has none
// Drive window lines, UTF-8, coordinates in pixels of the window's client area:
//   window visible=1 client=W,H title=T
//   placement rect=X,Y,W,H topmost=0 enabled=1 foreground=0    (screen pixels)
//   button ROW visible=1 enabled=1 icon=1 rect=X,Y,W,H focus=0 handle=H text=T    (what it would paint)
//   volume ROW visible=1 rect=X,Y,W,H text=T        (the volume label)
//   drive ROW visible=1 rect=X,Y,W,H text=T         (the drive label)
//   hint 0 visible=1 rect=X,Y,W,H text=T            (shown while there is no row; lines joined by "|")
// Dialog lines:
//   dialog caption=T client=W,H enabled=1
//   control ID kind=frame|checkbox|button|label|image rect=X,Y,W,H checked=0 enabled=1 focus=0 text=T
#include "win32/Handles.h"
#include "win32/WideText.h"
#include "win32/Win32Dialogs.h"
#include "win32/Win32MainView.h"
#include "win32/Win32TrayIcon.h"

#include <oleacc.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

HWND findWindow() {
    return FindWindowW(win::kMainWindowClass, nullptr);
}

HWND findDialog() {
    HWND dialog = FindWindowW(win::kDialogClass, nullptr);
    return dialog && IsWindowVisible(dialog) ? dialog : nullptr;
}

// The program's open pop-up menu (the system's menu window class).
HWND findMenu() {
    HWND menu = FindWindowW(L"#32768", nullptr);
    return menu && IsWindowVisible(menu) ? menu : nullptr;
}

std::string windowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return win::toUtf8(text);
}

std::string rectText(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right - r.left) +
           "," + std::to_string(r.bottom - r.top);
}

// A child's rectangle in its parent's client coordinates.
RECT childRect(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The input state of the thread that runs a window: its focus, active window and menu mode (GetFocus
// and the like see only the caller's own thread).
GUITHREADINFO guiThreadInfo(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!window || !GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info))
        return GUITHREADINFO{};
    return info;
}

HWND focusOf(HWND window) {
    return guiThreadInfo(window).hwndFocus;
}

struct Line {
    int order;
    std::string text;
};

struct Collected {
    HWND focus;
    std::vector<Line> lines;
};

BOOL CALLBACK collect(HWND child, LPARAM param) {
    auto& collected = *reinterpret_cast<Collected*>(param);
    const int id = GetDlgCtrlID(child);
    const char* kind = nullptr;
    int row = 0;
    if (id > win::kButtonIdBase && id < win::kVolumeLabelIdBase) {
        kind = "button";
        row = id - win::kButtonIdBase;
    } else if (id > win::kVolumeLabelIdBase && id < win::kDriveLabelIdBase) {
        kind = "volume";
        row = id - win::kVolumeLabelIdBase;
    } else if (id > win::kDriveLabelIdBase && id < win::kRowIdEnd) {
        kind = "drive";
        row = id - win::kDriveLabelIdBase;
    } else if (id == win::kHintId) {
        kind = "hint";
    }
    if (!kind)
        return TRUE;
    std::string line = std::string(kind) + " " + std::to_string(row) +
                       " visible=" + ((GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) ? "1" : "0");
    const std::string rect = "rect=" + rectText(childRect(child));
    if (kind[0] == 'b') {
        const bool icon = SendMessageW(child, BM_GETIMAGE, IMAGE_ICON, 0) != 0;
        char handle[40];
        std::snprintf(handle, sizeof handle, "%p", static_cast<void*>(child));
        line += std::string(" enabled=") + (IsWindowEnabled(child) ? "1" : "0") +
                " icon=" + (icon ? "1" : "0") + " " + rect +
                " focus=" + (collected.focus == child ? "1" : "0") + " handle=" + handle +
                " text=" + windowText(child);
    } else {
        std::string text = windowText(child);
        for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;)
            text.replace(at, 2, "|");
        line += " " + rect + " text=" + text;
    }
    const int kindOrder = kind[0] == 'b' ? 0 : kind[0] == 'v' ? 1 : 2;
    collected.lines.push_back({row * 3 + kindOrder, line});
    return TRUE;
}

std::vector<std::string> dump() {
    std::vector<std::string> result;
    HWND window = findWindow();
    if (!window)
        return result;
    RECT client{};
    GetClientRect(window, &client);
    result.push_back("window visible=" + std::string(IsWindowVisible(window) ? "1" : "0") +
                     " client=" + std::to_string(client.right) + "," + std::to_string(client.bottom) +
                     " title=" + windowText(window));
    RECT outer{};
    GetWindowRect(window, &outer);
    const bool topmost = (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    result.push_back("placement rect=" + rectText(outer) + " topmost=" + (topmost ? "1" : "0") +
                     " enabled=" + (IsWindowEnabled(window) ? "1" : "0") +
                     " foreground=" + (GetForegroundWindow() == window ? "1" : "0"));
    Collected collected{focusOf(window), {}};
    EnumChildWindows(window, collect, reinterpret_cast<LPARAM>(&collected));
    std::stable_sort(collected.lines.begin(), collected.lines.end(),
                     [](const Line& a, const Line& b) { return a.order < b.order; });
    for (const Line& line : collected.lines)
        result.push_back(line.text);
    return result;
}

const char* dialogKind(HWND control) {
    wchar_t className[32] = {};
    GetClassNameW(control, className, 32);
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    if (_wcsicmp(className, L"Static") == 0)
        return (style & SS_TYPEMASK) == SS_OWNERDRAW ? "image" : "label";
    switch (style & BS_TYPEMASK) {
    case BS_GROUPBOX:
        return "frame";
    case BS_AUTOCHECKBOX:
    case BS_CHECKBOX:
        return "checkbox";
    default:
        return "button";
    }
}

std::vector<std::string> dumpDialog(HWND dialog) {
    std::vector<std::string> lines;
    RECT client{};
    GetClientRect(dialog, &client);
    lines.push_back("dialog caption=" + windowText(dialog) + " client=" + std::to_string(client.right) + "," +
                    std::to_string(client.bottom) + " enabled=" + (IsWindowEnabled(dialog) ? "1" : "0"));
    const HWND focus = focusOf(dialog);
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        const char* kind = dialogKind(c);
        const bool checked =
            std::string(kind) == "checkbox" && SendMessageW(c, BM_GETCHECK, 0, 0) == BST_CHECKED;
        lines.push_back("control " + std::to_string(GetDlgCtrlID(c)) + " kind=" + kind +
                        " rect=" + rectText(childRect(c)) + " checked=" + (checked ? "1" : "0") +
                        " enabled=" + (IsWindowEnabled(c) ? "1" : "0") +
                        " focus=" + (focus == c ? "1" : "0") + " text=" + windowText(c));
    }
    return lines;
}

void print(const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// Polls `found` every 100 ms for up to `seconds`; true once it holds.
template <class Found> bool waitFor(double seconds, Found found) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    for (;;) {
        if (found())
            return true;
        if (GetTickCount64() > deadline)
            return false;
        Sleep(100);
    }
}

// The open dialog's tooltip control, while it shows; not another program's (the tray's tip of the icon
// under a resting pointer is one too).
HWND findTooltip() {
    const HWND dialog = findDialog();
    HWND tip = FindWindowW(L"tooltips_class32", nullptr);
    while (tip && !(IsWindowVisible(tip) && dialog && GetWindow(tip, GW_OWNER) == dialog))
        tip = FindWindowExW(nullptr, tip, L"tooltips_class32", nullptr);
    return tip;
}

// ---- Input that waits until its target can take it. The system hands a key to the focus of the
// foreground window, or to the menu of a thread in menu mode, and a click to the window under the
// pointer; a key sent before that state holds goes elsewhere or nowhere. So every key and click first
// confirms its target's state, and a failure names the part of it that never came. Events the system did
// not take are sent again only after the state has been confirmed anew, a bounded number of times.

constexpr double kReadySeconds = 10;
constexpr int kSendAttempts = 3;

// What keeps the target ("window", "dialog" or "menu") from taking keys; empty when it can. A window
// that is shown and enabled but not in front is brought there, as a user's click would.
std::string keysMissing(const std::wstring& target) {
    if (target == L"menu") {
        const HWND menu = findMenu();
        if (!menu)
            return "no menu is open";
        const GUITHREADINFO info = guiThreadInfo(menu);
        if (!(info.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE)) || !info.hwndMenuOwner)
            return "a menu is shown but its program is not in menu mode";
        // Wine names the menu's own window as its owner; the window it opened over owns that.
        const HWND owner = info.hwndMenuOwner == menu ? GetWindow(menu, GW_OWNER) : info.hwndMenuOwner;
        if (GetForegroundWindow() != owner || info.hwndActive != owner)
            return std::string("the menu is open but ") +
                   (owner == findWindow() ? "the drive window" : "the window it belongs to") +
                   " does not hold the focus";
        return {};
    }
    const HWND window = target == L"window" ? findWindow() : target == L"dialog" ? findDialog() : nullptr;
    const std::string name = target == L"window" ? "the drive window" : "the dialog";
    if (!window)
        return name + " is not there";
    if (!IsWindowVisible(window) || !IsWindowEnabled(window))
        return name + (IsWindowVisible(window) ? " is disabled" : " is not shown");
    const GUITHREADINFO info = guiThreadInfo(window);
    if (info.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE))
        return "a menu is open over " + name;
    if (GetForegroundWindow() != window) {
        SetForegroundWindow(window);
        return name + " is not in the foreground";
    }
    if (info.hwndFocus != window && !IsChild(window, info.hwndFocus))
        return name + " does not hold the focus";
    return {};
}

POINT centreOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// What keeps a control from taking a click at its centre; empty when it can.
std::string pointerMissing(HWND control, const std::string& name) {
    if (!control)
        return name + " is not there";
    if (!IsWindowVisible(control))
        return name + " is not shown";
    if (!IsWindowEnabled(GetAncestor(control, GA_ROOT)) || !IsWindowEnabled(control))
        return name + " is disabled";
    // Wine gives a transparent sibling (a frame around a box) from another process's point of view,
    // so what counts is that no other window covers the control.
    if (GetAncestor(WindowFromPoint(centreOf(control)), GA_ROOT) != GetAncestor(control, GA_ROOT))
        return name + " is covered by another window";
    return {};
}

// Waits until `missing` finds nothing missing; what it last found.
std::string awaitReady(const std::function<std::string()>& missing) {
    std::string state;
    waitFor(kReadySeconds, [&] { return (state = missing()).empty(); });
    return state;
}

// Sends the events once `missing` says the target can take them: empty on success, else what was
// missing or what the system refused.
std::string deliver(std::vector<INPUT> events, const std::function<std::string()>& missing,
                    const std::string& what) {
    std::size_t taken = 0;
    for (int attempt = 1;; ++attempt) {
        if (std::string state = awaitReady(missing); !state.empty())
            return state;
        taken += SendInput(static_cast<UINT>(events.size() - taken), events.data() + taken, sizeof(INPUT));
        if (taken == events.size())
            return {};
        const unsigned long error = GetLastError();
        std::fprintf(stderr, "driver: the system took %zu of the %zu events of %s (error %lu)%s\n", taken,
                     events.size(), what.c_str(), error,
                     attempt < kSendAttempts ? "; the rest goes again" : "");
        if (attempt == kSendAttempts)
            return "the system did not take " + what;
    }
}

// A real left click at the centre of a control, or only the pointer moved there, from elsewhere first
// as a person's pointer comes.
std::string clickAt(HWND control, const std::string& name, bool click = true) {
    const auto missing = [&] { return pointerMissing(control, name); };
    if (!control)
        return missing();
    if (std::string state = awaitReady(missing); !state.empty())
        return state;
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    const POINT centre = centreOf(control);
    std::vector<INPUT> events(click ? 4 : 2);
    for (std::size_t i = 0; i < events.size(); ++i) {
        const int x = i == 0 ? (centre.x > 40 ? centre.x - 40 : centre.x + 40) : centre.x;
        events[i].type = INPUT_MOUSE;
        // Absolute coordinates run from 0 to 65535 over the primary screen.
        events[i].mi.dx = (x * 65536 + width / 2) / width;
        events[i].mi.dy = (centre.y * 65536 + height / 2) / height;
        events[i].mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    }
    if (click) {
        events[2].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
        events[3].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
    }
    return deliver(events, missing, (click ? "a click on " : "the pointer onto ") + name);
}

int reported(const std::string& failure) {
    if (failure.empty())
        return 0;
    std::fprintf(stderr, "driver: %s\n", failure.c_str());
    return 1;
}

int click(int row) {
    HWND window = findWindow();
    if (window)
        SetForegroundWindow(window);
    return reported(clickAt(window ? GetDlgItem(window, win::kButtonIdBase + row) : nullptr,
                            "the button of row " + std::to_string(row)));
}

int key(int virtualKey, int row) {
    HWND window = findWindow();
    HWND target = window && row > 0 ? GetDlgItem(window, win::kButtonIdBase + row) : window;
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
int virtualKeyOf(const std::wstring& text) {
    if (text.size() == 1 && iswalnum(text[0]))
        return static_cast<int>(towupper(text[0]));
    struct Named {
        const wchar_t* name;
        int key;
    };
    static const Named names[] = {{L"space", VK_SPACE},   {L"tab", VK_TAB},   {L"return", VK_RETURN},
                                  {L"escape", VK_ESCAPE}, {L"home", VK_HOME}, {L"end", VK_END},
                                  {L"up", VK_UP},         {L"down", VK_DOWN}, {L"left", VK_LEFT},
                                  {L"right", VK_RIGHT},   {L"alt", VK_MENU},  {L"shift", VK_SHIFT}};
    for (const Named& n : names)
        if (text == n.name)
            return n.key;
    return static_cast<int>(std::wcstol(text.c_str(), nullptr, 0));
}

INPUT keyInput(int virtualKey, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = static_cast<WORD>(virtualKey);
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(static_cast<UINT>(virtualKey), MAPVK_VK_TO_VSC));
    switch (virtualKey) {
    case VK_HOME:
    case VK_END:
    case VK_UP:
    case VK_DOWN:
    case VK_LEFT:
    case VK_RIGHT:
        input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
        break;
    default:
        break;
    }
    if (up)
        input.ki.dwFlags |= KEYEVENTF_KEYUP;
    return input;
}

// One KEY of the input command: modifiers held around a key, or a held key; no events when it names none.
std::vector<INPUT> keyEvents(std::wstring keyText) {
    int downs = 1;
    if (keyText.rfind(L"hold", 0) == 0 && keyText.find(L':') != std::wstring::npos) {
        downs = static_cast<int>(std::wcstol(keyText.c_str() + 4, nullptr, 10));
        keyText = keyText.substr(keyText.find(L':') + 1);
    }
    std::vector<int> modifiers;
    for (std::size_t plus; (plus = keyText.find(L'+')) != std::wstring::npos && plus + 1 < keyText.size();) {
        modifiers.push_back(virtualKeyOf(keyText.substr(0, plus)));
        keyText = keyText.substr(plus + 1);
    }
    const int key = virtualKeyOf(keyText);
    std::vector<INPUT> inputs;
    if (key <= 0 || downs < 1)
        return inputs;
    for (int m : modifiers)
        inputs.push_back(keyInput(m, false));
    for (int i = 0; i < downs; ++i)
        inputs.push_back(keyInput(key, false)); // the system marks each later one as a repeat
    inputs.push_back(keyInput(key, true));
    for (auto m = modifiers.rbegin(); m != modifiers.rend(); ++m)
        inputs.push_back(keyInput(*m, true));
    return inputs;
}

int input(const std::wstring& target, int count, wchar_t** keys) {
    if (target != L"window" && target != L"dialog" && target != L"menu")
        return reported("no such target: " + win::toUtf8(target));
    for (int i = 0; i < count; ++i) {
        const std::vector<INPUT> events = keyEvents(keys[i]);
        const std::string what = "[" + win::toUtf8(keys[i]) + "]";
        if (events.empty() || reported(deliver(
                                  events, [&] { return keysMissing(target); }, what)))
            return events.empty() ? reported("no such key: " + what) : 1;
    }
    return 0;
}

HWND findMessageBox(const std::wstring& title) {
    HWND box = FindWindowW(L"#32770", title.c_str());
    return box && IsWindowVisible(box) ? box : nullptr;
}

std::string messageBoxText(HWND box) {
    std::string text;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t className[16] = {};
        GetClassNameW(c, className, 16);
        if (_wcsicmp(className, L"Static") != 0 || GetWindowTextLengthW(c) == 0)
            continue;
        std::string part = windowText(c);
        for (std::size_t at; (at = part.find("\r\n")) != std::string::npos;)
            part.replace(at, 2, "|");
        text += part;
    }
    return text;
}

// The program's notification-area icon, as the program adds it (uID 1 of its tray window).
NOTIFYICONDATAW trayRecord() {
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = FindWindowW(win::kTrayWindowClass, nullptr);
    data.uID = 1;
    return data;
}

// Wine hands this message's pointer on as it is: the rectangle goes into the program's own memory.
int dpiChanged(int dpi, const RECT& suggested) {
    HWND window = findWindow();
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    const win::UniqueHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, id));
    const auto release = [&process](void* memory) { VirtualFreeEx(process.get(), memory, 0, MEM_RELEASE); };
    const std::unique_ptr<void, decltype(release)> remote(
        VirtualAllocEx(process.get(), nullptr, sizeof suggested, MEM_COMMIT, PAGE_READWRITE), release);
    return remote && WriteProcessMemory(process.get(), remote.get(), &suggested, sizeof suggested, nullptr)
               ? static_cast<int>(SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                                               reinterpret_cast<LPARAM>(remote.get())))
               : 1;
}

bool names() {
    // mingw-w64's IID_IAccessible, linked statically, comes out wrong under Wine.
    constexpr IID kAccessible{0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
    const win::ComScope com;
    bool named = true;
    for (HWND top : {findWindow(), findDialog()})
        for (HWND c = top ? GetWindow(top, GW_CHILD) : nullptr; c; c = GetWindow(c, GW_HWNDNEXT)) {
            win::ComPtr<IAccessible> object;
            VARIANT self{}; // CHILDID_SELF
            self.vt = VT_I4;
            BSTR name = nullptr;
            if (!IsWindowVisible(c))
                continue;
            if (SUCCEEDED(AccessibleObjectFromWindow(c, OBJID_CLIENT, kAccessible, object.putVoid())))
                object->get_accName(self, &name);
            const std::string text = win::toUtf8(win::Bstr::adopt(name).text()), kind = dialogKind(c);
            print({"name " + kind + " " + std::to_string(GetDlgCtrlID(c)) + " text=" + text});
            named = named && (!text.empty() || kind == "label" || kind == "image");
        }
    return named;
}

double seconds(const wchar_t* text) {
    return std::wcstod(text, nullptr);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"dump" && argc == 2) {
        const auto lines = dump();
        print(lines);
        return lines.empty() ? reported("there is no drive window") : 0;
    }
    if (command == L"wait" && argc == 4) {
        const std::string wanted = win::toUtf8(argv[2]);
        std::vector<std::string> lines;
        const bool found = waitFor(seconds(argv[3]), [&] {
            lines = dump();
            return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
                return line.find(wanted) != std::string::npos;
            });
        });
        print(lines);
        if (!found)
            std::fprintf(stderr, "driver: no line with [%s]\n", wanted.c_str());
        return found ? 0 : 1;
    }
    if (command == L"gone" && argc == 3)
        return waitFor(seconds(argv[2]), [] { return findWindow() == nullptr; }) ? 0 : 1;
    if (command == L"click" && argc == 3)
        return click(static_cast<int>(std::wcstol(argv[2], nullptr, 10)));
    if (command == L"key" && (argc == 3 || argc == 4))
        return key(virtualKeyOf(argv[2]),
                   argc == 4 ? static_cast<int>(std::wcstol(argv[3], nullptr, 10)) : 0);
    if (command == L"input" && argc >= 4)
        return input(argv[2], argc - 3, argv + 3);
    if (command == L"close" && argc == 2) {
        HWND window = findWindow();
        return window && PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 1;
    }
    if (command == L"menu" && argc == 3) {
        if (!waitFor(seconds(argv[2]), [] { return findMenu() != nullptr; }))
            return 1;
        RECT r{};
        GetWindowRect(findMenu(), &r);
        print({"menu rect=" + rectText(r)});
        return 0;
    }
    if (command == L"nomenu" && argc == 3)
        return waitFor(seconds(argv[2]), [] { return findMenu() == nullptr; }) ? 0 : 1;
    if (command == L"dialog" && argc == 4) {
        const std::wstring caption = argv[2];
        HWND dialog = nullptr;
        const bool found = waitFor(seconds(argv[3]), [&] {
            dialog = findDialog();
            return dialog && win::toWide(windowText(dialog)) == caption;
        });
        if (dialog)
            print(dumpDialog(dialog));
        return found ? 0 : 1;
    }
    if (command == L"nodialog" && argc == 3)
        return waitFor(seconds(argv[2]), [] { return findDialog() == nullptr; }) ? 0 : 1;
    if ((command == L"press" || command == L"hover") && argc == 3) {
        HWND dialog = findDialog();
        HWND control =
            dialog ? GetDlgItem(dialog, static_cast<int>(std::wcstol(argv[2], nullptr, 10))) : nullptr;
        SetForegroundWindow(dialog);
        return reported(
            clickAt(control, "control " + win::toUtf8(argv[2]) + " of the dialog", command == L"press"));
    }
    if (command == L"tooltip" && argc == 3) {
        if (!waitFor(seconds(argv[2]), [] { return findTooltip() != nullptr; }))
            return 1;
        // A tooltip answers WM_GETTEXT with the tip it shows, but not WM_GETTEXTLENGTH.
        wchar_t text[512] = {};
        SendMessageW(findTooltip(), WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
        print({"tooltip text=" + win::toUtf8(text)});
        return 0;
    }
    if (command == L"closedialog" && argc == 2) {
        HWND dialog = findDialog();
        return dialog && PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 1;
    }
    if (command == L"msgbox" && argc == 4) {
        HWND box = nullptr;
        if (!waitFor(seconds(argv[3]), [&] { return (box = findMessageBox(argv[2])) != nullptr; }))
            return 1;
        print({"msgbox text=" + messageBoxText(box)});
        return 0;
    }
    if (command == L"msgboxok" && argc == 3) {
        HWND box = findMessageBox(argv[2]);
        return box && PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                                   reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)))
                   ? 0
                   : 1;
    }
    if (command == L"untray" && argc == 2) {
        NOTIFYICONDATAW data = trayRecord();
        return data.hWnd && Shell_NotifyIconW(NIM_DELETE, &data) ? 0 : 1;
    }
    if (command == L"names" && argc == 2)
        return names() ? 0 : 1;
    const auto n = [argv](int i) { return static_cast<int>(std::wcstol(argv[i], nullptr, 10)); };
    if (command == L"dpichanged" && argc == 7)
        return dpiChanged(n(2), {n(3), n(4), n(3) + n(5), n(4) + n(6)});
    if (command == L"taskbarcreated" && argc == 2)
        return SendNotifyMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0) ? 0 : 1;
    std::fputs("usage: driver dump | wait TEXT SECONDS | gone SECONDS | click ROW | key VK [ROW] |\n"
               "       input window|dialog|menu KEY... | close | menu SECONDS | nomenu SECONDS | dialog "
               "CAPTION SECONDS |\n"
               "       nodialog SECONDS | press ID | hover ID | tooltip SECONDS | closedialog |\n"
               "       msgbox TITLE SECONDS | msgboxok TITLE | untray | taskbarcreated | names |\n"
               "       dpichanged DPI X Y W H\n",
               stderr);
    return 2;
}
