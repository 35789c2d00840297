#include "win32/Win32TrayIcon.h"

#include "win32/WideText.h"
#include "win32/Win32Icons.h"
#include "win32/WindowOwner.h"

#include <algorithm>
#include <cstddef>
#include <cwchar>
#include <iterator>
#include <string>

namespace win {
namespace {

// The message the shell sends the icon's window, its lParam the mouse message.
constexpr UINT kIconMessage = WM_APP + 1;
// The tip the first form of the record holds, without its NUL.
constexpr std::size_t kTipRoom =
    (NOTIFYICONDATAW_V1_SIZE - offsetof(NOTIFYICONDATAW, szTip)) / sizeof(wchar_t) - 1;

} // namespace

Win32TrayIcon::Win32TrayIcon(HINSTANCE instance, HWND mainWindow)
    : m_mainWindow(mainWindow), m_taskbarCreated(RegisterWindowMessageW(L"TaskbarCreated")),
      m_icon(loadProgramIcon(instance, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON))) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &Win32TrayIcon::windowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kTrayWindowClass;
    RegisterClassExW(&windowClass); // a second icon in one process finds the class registered
    m_window.reset(CreateWindowExW(WS_EX_TOOLWINDOW, kTrayWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                   nullptr, instance, this));
}

Win32TrayIcon::~Win32TrayIcon() {
    // An icon left behind would stay in the notification area until the mouse passes over it.
    if (m_shown)
        remove();
    m_window.reset();
}

void Win32TrayIcon::add(const std::string& tip) {
    m_wanted = true;
    // The shell refuses a second add of a shown icon and leaves that one as it is.
    if (m_shown)
        return;
    m_data = NOTIFYICONDATAW{};
    // The first form of the record: every shell version takes it, and it carries all the icon needs.
    m_data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    m_data.hWnd = m_window.get();
    m_data.uID = 1;
    m_data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_data.uCallbackMessage = kIconMessage;
    m_data.hIcon = m_icon.get();
    const std::wstring text = toWide(tip);
    std::size_t length = text.size() < kTipRoom ? text.size() : kTipRoom;
    // A cut never leaves half of a surrogate pair.
    if (length < text.size() && length > 0 && IS_HIGH_SURROGATE(text[length - 1]))
        --length;
    std::wmemcpy(m_data.szTip, text.data(), length);
    m_data.szTip[length] = L'\0';
    // Shown only once the shell took it; without a taskbar yet, the next one gets it.
    m_shown = Shell_NotifyIconW(NIM_ADD, &m_data) != FALSE;
}

void Win32TrayIcon::remove() {
    m_wanted = false;
    if (m_shown)
        Shell_NotifyIconW(NIM_DELETE, &m_data);
    m_shown = false;
}

bool Win32TrayIcon::notify(const std::string& title, const std::string& text) {
    if (!m_shown)
        return false;
    // A balloon at the icon; its record is the second form, the first has no room for one.
    NOTIFYICONDATAW balloon{};
    balloon.cbSize = NOTIFYICONDATAW_V2_SIZE;
    balloon.hWnd = m_window.get();
    balloon.uID = 1;
    balloon.uFlags = NIF_INFO;
    balloon.dwInfoFlags = NIIF_INFO;
    const auto copy = [](const std::string& from, wchar_t* to, std::size_t room) {
        std::wstring wide = toWide(from);
        std::erase(wide, L'\r');
        const std::size_t length = std::min(wide.size(), room - 1);
        std::wmemcpy(to, wide.data(), length);
        to[length] = L'\0';
    };
    copy(text, balloon.szInfo, std::size(balloon.szInfo));
    copy(title, balloon.szInfoTitle, std::size(balloon.szInfoTitle));
    return Shell_NotifyIconW(NIM_MODIFY, &balloon) != FALSE;
}

void Win32TrayIcon::mouse(UINT message) {
    // A disabled main window (a modal window is open) takes no input, the notification area's included.
    if (!m_handler || !IsWindowEnabled(m_mainWindow))
        return;
    port::TrayEvent event{};
    switch (message) {
    case WM_LBUTTONDBLCLK:
        event = port::TrayEvent::ShowWindow;
        break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK: // a second right press within the double-click time
        event = port::TrayEvent::OpenMenu;
        break;
    default:
        return;
    }
    // Held here: the handler may replace itself while it runs.
    const std::function<void(port::TrayEvent)> handler = m_handler;
    handler(event);
}

LRESULT CALLBACK Win32TrayIcon::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* tray = windowOwner<Win32TrayIcon>(window, message, lParam);
    if (tray && message == kIconMessage) {
        tray->mouse(static_cast<UINT>(lParam));
        return 0;
    }
    // The new taskbar knows nothing of the icons of the old one: the icon is added again, or a resident
    // program with a hidden window would be out of reach.
    // A message that comes while the icon is still there finds it in place.
    if (tray && message == tray->m_taskbarCreated && tray->m_wanted) {
        const bool hadArea = tray->m_shown;
        tray->m_shown =
            Shell_NotifyIconW(NIM_ADD, &tray->m_data) || Shell_NotifyIconW(NIM_MODIFY, &tray->m_data);
        // A program started before the shell waited minimized: now its window can hide.
        if (!hadArea && tray->m_shown && tray->m_handler && IsWindowEnabled(tray->m_mainWindow)) {
            const std::function<void(port::TrayEvent)> handler = tray->m_handler;
            handler(port::TrayEvent::AreaAppeared);
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace win
